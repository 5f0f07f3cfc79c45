// Little-endian decoding of archive records, bounded by the buffer that holds them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace oru {

inline uint16_t readU16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t readU32(const unsigned char* p) {
    return static_cast<uint32_t>(readU16(p)) | (static_cast<uint32_t>(readU16(p + 2)) << 16);
}

// Hands out consecutive slices of a buffer and refuses any that would pass its end.
class ByteCursor {
public:
    ByteCursor(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    // The next `count` bytes, or null (nothing consumed) when fewer are left.
    const unsigned char* take(size_t count) {
        if (count > size_ - offset_) return nullptr;
        const unsigned char* slice = data_ + offset_;
        offset_ += count;
        return slice;
    }
    size_t remaining() const { return size_ - offset_; }

private:
    const unsigned char* data_;
    size_t size_;
    size_t offset_ = 0;
};

}  // namespace oru
