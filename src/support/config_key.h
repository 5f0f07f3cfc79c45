// Whether a configuration line sets a key: the launcher's lookups and oru-pack's checks
// of the lines it writes read a line the same way.
#pragma once

#include <cstddef>
#include <string>

#include "support/ascii.h"

namespace oru {

// Whether the `length` bytes at `line` start, after any spaces, with the `keyLength`
// bytes at `key` in any ASCII case; `keyEnd` then gets where the key ends in the line.
inline bool lineHasKey(const char* line, size_t length, const char* key, size_t keyLength,
                       size_t& keyEnd) {
    size_t pos = 0;
    while (pos < length && line[pos] == ' ') ++pos;
    if (length - pos < keyLength) return false;
    for (size_t i = 0; i < keyLength; ++i)
        if (lowerAscii(line[pos + i]) != lowerAscii(key[i])) return false;
    keyEnd = pos + keyLength;
    return true;
}

inline bool lineHasKey(const std::string& line, const std::string& key) {
    size_t keyEnd = 0;
    return lineHasKey(line.data(), line.size(), key.data(), key.size(), keyEnd);
}

}  // namespace oru
