// Which names are archives: the ".jar" and ".zip" rule shared by the class path's
// library scan, the archive store's nested archives and oru-pack's listing.
#pragma once

#include <cstddef>
#include <cstring>

#include "support/ascii.h"

namespace oru {

// Whether the `length` bytes at `name` end in ".jar" or ".zip", in any ASCII case.
inline bool hasArchiveExtension(const char* name, size_t length) {
    if (length < 4 || name[length - 4] != '.') return false;
    char extension[3];
    for (int i = 0; i < 3; ++i) extension[i] = lowerAscii(name[length - 3 + i]);
    return std::memcmp(extension, "jar", 3) == 0 || std::memcmp(extension, "zip", 3) == 0;
}

// Whether an entry named `name` (`length` bytes) is a nested archive: an archive
// extension with at least one character before it. Nested names are kept and matched as
// NUL-terminated text: one with a NUL inside would be found under the part before it, so
// such an archive is not opened.
inline bool isNestedArchiveName(const char* name, size_t length) {
    return length >= 5 && !std::memchr(name, '\0', length) && hasArchiveExtension(name, length);
}

}  // namespace oru
