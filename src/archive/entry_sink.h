// EntrySink: where the store puts an entry it reads (a Java byte array, or a test buffer).
#pragma once

#include <cstdint>

#include "support/narrow_string.h"

namespace oru {

// The store calls begin once it has found a readable entry, writes exactly `size` bytes
// to the place begin gave, then calls end. The sink owns the result it makes.
class EntrySink {
public:
    virtual ~EntrySink() = default;
    // Makes a result of `size` bytes and sets `bytes` to where they go (may be null when
    // size is 0). False when no result can be made: the store then gives up the whole
    // query, since the sink may have left an error pending (a Java exception).
    virtual bool begin(uint32_t size, unsigned char*& bytes) = 0;
    // Finishes the result begun last. With `complete` false its bytes are not the
    // entry's, and the sink discards it: the entry counts as missing.
    virtual void end(bool complete) = 0;
};

// Collects an entry in a string: the launcher's own reads of small entries (manifests,
// of 16 MB at most: a larger one is refused as unreadable).
class TextSink : public EntrySink {
public:
    bool begin(uint32_t size, unsigned char*& bytes) override {
        if (size > (16u << 20)) return false;
        text.resize(static_cast<int>(size));
        bytes = reinterpret_cast<unsigned char*>(text.data());
        return true;
    }
    void end(bool complete) override {
        if (!complete) text.clear();
    }
    NarrowString text;
};

}  // namespace oru
