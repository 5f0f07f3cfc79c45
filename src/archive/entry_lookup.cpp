// EntryLookup: the length-first order, binary search and the nested-archive scan.
#include "archive/entry_lookup.h"

#include <algorithm>
#include <cstring>

#include "archive/zip_reader.h"
#include "support/archive_names.h"

namespace oru {

namespace {

// A slash ranks as the backslash the reader stores in its place. Mapping rather than
// merely equating the two keeps the order total: "/" must sort against every other
// character exactly where "\" does, or a binary search over stored names goes astray.
signed char ranked(char c) { return static_cast<signed char>(c == '/' ? '\\' : c); }

// Signed difference of two characters, with "/" and "\" counting as equal.
int charDifference(char a, char b) { return ranked(a) - ranked(b); }

int compareChars(const char* a, const char* b, int length) {
    for (int i = 0; i < length; ++i) {
        if (int d = charDifference(a[i], b[i])) return d;
    }
    return 0;
}

}  // namespace

const uint32_t EntryLookup::kBytesPerEntry = sizeof(Pair) + sizeof(int);

int EntryLookup::compare(const char* a, int aLength, const char* b, int bLength, bool lengthFirst) {
    if (lengthFirst) {
        if (aLength != bLength) return aLength < bLength ? -1 : 1;
        return compareChars(a, b, aLength);
    }
    if (int d = compareChars(a, b, std::min(aLength, bLength))) return d;
    return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
}

bool EntryLookup::sameChars(const char* a, const char* b, int length) {
    return compareChars(a, b, length) == 0;
}

void EntryLookup::build(const CZipReader* reader, bool lengthFirst) {
    nested_.clear();
    pairs_.clear();
    if (!reader) return;
    // Made at its size: no growth, and no code for it.
    std::vector<Pair> pairs(static_cast<size_t>(reader->entryCount()));
    for (size_t i = 0; i < pairs.size(); ++i) {
        const CZipEntry& entry = reader->entry(static_cast<uint32_t>(i));
        pairs[i] = {entry.name.data(), static_cast<uint16_t>(entry.name.size()),
                    static_cast<uint32_t>(i)};
    }
    pairs_.swap(pairs);
    if (pairs_.size() > 1) {
        lengthFirst_ = lengthFirst;
        const bool order = lengthFirst_;
        std::sort(pairs_.begin(), pairs_.end(), [order](const Pair& a, const Pair& b) {
            return compare(a.name, a.length, b.name, b.length, order) < 0;
        });
    }
}

int EntryLookup::find(const char* name, int length) const {
    const bool order = lengthFirst_;
    auto below = [order, length, name](const Pair& pair, int) {
        return compare(pair.name, pair.length, name, length, order) < 0;
    };
    auto it = std::lower_bound(pairs_.begin(), pairs_.end(), 0, below);
    if (it == pairs_.end() || compare(it->name, it->length, name, length, order) != 0) return -1;
    return it->index;
}

bool EntryLookup::isNestedName(const char* name, int length) {
    return length > 0 && isNestedArchiveName(name, static_cast<size_t>(length));
}

int EntryLookup::collectNested(const NarrowString& prefix) {
    const int m = prefix.length();
    for (size_t i = 0; i < pairs_.size(); ++i) {
        const Pair& pair = pairs_[i];
        if (pair.length < m) continue;
        if (m > 0 && !sameChars(pair.name, prefix.c_str(), m)) continue;
        if (isNestedName(pair.name, pair.length)) nested_.push_back(static_cast<int>(i));
    }
    return nestedCount();
}

int EntryLookup::nestedEntryIndex(int position) const {
    return pairs_[static_cast<size_t>(nested_[static_cast<size_t>(position)])].index;
}

NarrowString EntryLookup::nestedName(int position) const {
    const Pair& pair = pairs_[static_cast<size_t>(nested_[static_cast<size_t>(position)])];
    return NarrowString(pair.name, pair.length);
}

}  // namespace oru
