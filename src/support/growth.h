// The growth rule shared by the launcher's strings and growable arrays.
#pragma once

namespace oru {

// Returns the capacity a buffer of `capacity` elements grows to when it must
// hold `needed` elements; `capacity` itself when it is already large enough.
inline int grownCapacity(int capacity, int needed) {
    if (capacity >= needed) return capacity;
    int grown = capacity < 8 ? 8 : capacity;
    if (grown < needed) grown *= 2;
    if (grown < needed) grown = (needed + 11) & ~7;
    return grown;
}

}  // namespace oru
