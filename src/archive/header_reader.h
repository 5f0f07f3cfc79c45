// Little-endian header fields at offsets of a byte source, never read past its end.
#pragma once

#include <cstdint>

#include "archive/zip_source.h"
#include "support/little_endian.h"

namespace oru {

// The reader that the PE walks (pe_layout.h) and the library checks read files through:
// each call answers false where the source holds too few bytes.
class HeaderReader {
public:
    explicit HeaderReader(const CZipSource& source) : source_(source), size_(source.length()) {}

    bool u16(uint64_t offset, uint16_t& value) const {
        unsigned char b[2];
        if (!bytes(offset, b, 2)) return false;
        value = readU16(b);
        return true;
    }
    bool u32(uint64_t offset, uint32_t& value) const {
        unsigned char b[4];
        if (!bytes(offset, b, 4)) return false;
        value = readU32(b);
        return true;
    }
    // A null `out` only checks that the bytes are there.
    bool bytes(uint64_t offset, void* out, uint64_t count) const {
        return offset <= size_ && count <= size_ - offset &&
               (!out || source_.readAt(offset, out, static_cast<uint32_t>(count)));
    }

private:
    const CZipSource& source_;
    uint64_t size_;
};

}  // namespace oru
