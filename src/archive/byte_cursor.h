// Slices of the buffer that holds archive records, which never pass its end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/little_endian.h"

namespace oru {

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
