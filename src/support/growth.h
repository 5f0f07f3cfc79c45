// The growth rule shared by the launcher's strings and growable arrays.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <new>

namespace oru {

// Returns the capacity a buffer of `capacity` elements of `elementSize` bytes grows to
// when it must hold `needed` elements; `capacity` itself when it is already large
// enough. Returns -1 when the rule's result would not fit an int or a byte count: the
// growth is refused, as an allocation that fails.
inline int grownCapacity(int capacity, int64_t needed, size_t elementSize = 1) {
    if (capacity >= needed) return capacity;
    const uint64_t limit = static_cast<uint64_t>(SIZE_MAX) / elementSize;
    // Worked in 64 bits: doubling a capacity past 1 GiB must not wrap to a negative one.
    int64_t grown = capacity < 8 ? 8 : capacity;
    if (grown < needed) grown *= 2;
    if (grown < needed) grown = (needed + 11) & ~int64_t{7};
    if (grown > INT_MAX || static_cast<uint64_t>(grown) > limit) return -1;
    return static_cast<int>(grown);
}

// The length `length` + `more`; throws std::bad_alloc when it would pass an int, as the
// allocation for it would fail.
inline int lengthAfter(int length, int more) {
    const int64_t sum = static_cast<int64_t>(length) + more;
    if (sum > INT_MAX) throw std::bad_alloc();
    return static_cast<int>(sum);
}

}  // namespace oru
