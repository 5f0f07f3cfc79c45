// Telling whether two directory paths name the same directory (links included).
#pragma once

#include <cstdint>

namespace oru::platform {

struct DirectoryIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const DirectoryIdentity& other) const {
        return volume == other.volume && index == other.index;
    }
};

// The identity of the directory that `path` leads to, links followed; false when it
// cannot be read.
bool directoryIdentity(const char* path, DirectoryIdentity& out);

}  // namespace oru::platform
