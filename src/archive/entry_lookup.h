// EntryLookup: a node's sorted name index and its list of nested archives.
#pragma once

#include <cstdint>
#include <vector>

#include "support/narrow_string.h"

namespace oru {

class CZipReader;

// Names match byte for byte, case-sensitively, except that "/" and "\" are the same
// character. The index points into the reader's records, which must outlive it.
class EntryLookup {
public:
    // Memory the index holds per record (a pair, and a place in the nested list).
    static const uint32_t kBytesPerEntry;

    // Indexes every record of `reader` (none when null) and sorts it, length first when
    // `lengthFirst` and there is more than one record. Always empties the nested list.
    void build(const CZipReader* reader, bool lengthFirst);
    // The reader's index of an entry named `name` (`length` bytes), or -1. Any one of
    // several records with the same name may be returned.
    int find(const char* name, int length) const;
    // Appends the position of every ".jar" or ".zip" entry (any ASCII case, at least one
    // character before the suffix, no NUL byte) whose name starts with `prefix`, in index
    // order; returns the nested list's length.
    int collectNested(const NarrowString& prefix);
    int nestedCount() const { return static_cast<int>(nested_.size()); }
    // Whether collectNested takes an entry named `name` (`length` bytes) with an empty
    // prefix.
    static bool isNestedName(const char* name, int length);
    // The reader's index of nested archive `position`.
    int nestedEntryIndex(int position) const;
    // A copy of nested archive `position`'s name.
    NarrowString nestedName(int position) const;

    // Signed comparison under the slash rule, shorter first when `lengthFirst`, else
    // lexicographic with the shorter first on a tie. Exposed for the store's matching.
    static int compare(const char* a, int aLength, const char* b, int bLength, bool lengthFirst);
    // True when the `length` bytes at `a` and `b` are equal under the slash rule.
    static bool sameChars(const char* a, const char* b, int length);

private:
    struct Pair {
        const char* name;
        uint16_t length;
        uint32_t index;
    };

    std::vector<Pair> pairs_;
    std::vector<int> nested_;
    bool lengthFirst_ = false;
};

}  // namespace oru
