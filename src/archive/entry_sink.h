// EntrySink: where the store puts an entry it reads (a Java byte array, or a test buffer).
#pragma once

#include <cstdint>

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

}  // namespace oru
