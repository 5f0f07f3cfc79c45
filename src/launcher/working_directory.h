// The forced working directory and resolving paths against a base directory.
#pragma once

namespace oru {

// Makes `directory`, resolved against the executable's directory, the current one;
// failures are silent.
void applyForcedWorkingDirectory(const char* directory);

// Writes the full path of `path` taken relative to `base` into `buffer`; returns the
// full-path call's length (0 on failure, the size needed when it does not fit).
int resolveAgainstDirectory(const char* base, const char* path, char* buffer, int capacity);

}  // namespace oru
