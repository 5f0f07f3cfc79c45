// The process's own executable, its current directory and full-path resolution.
#pragma once

#include "platform_limits.h"  // kPathCapacity of the backend in use
#include "support/narrow_string.h"

namespace oru::platform {

// Full path of the running executable; false (and an empty string) when the platform
// cannot tell or the path does not fit kPathCapacity. On Windows the path is found in
// UTF-16 and given in the ANSI code page: as it is when every character converts and it
// fits, else in its short (8.3) form; when neither works, false with the lossy form in
// `unrepresentable` (when given), so that the launch can say why it stops.
bool executablePath(NarrowString& out, NarrowString* unrepresentable = nullptr);

// The process's current directory; false when unknown or too long for kPathCapacity.
bool currentDirectory(NarrowString& out);

// Makes `path` the current directory; false on any failure.
bool changeDirectory(const char* path);

// Writes the full form of `path` (relative names completed with the current directory,
// "." and ".." folded) into `buffer`. Returns its length without the terminator, the size
// needed (terminator included) when `capacity` is too small, or 0 on failure.
int fullPathName(const char* path, char* buffer, int capacity);

}  // namespace oru::platform
