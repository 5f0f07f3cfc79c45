// Limits of the Windows platform calls; found through the backend's include directory.
// Only Windows code belongs in this folder.
#pragma once

namespace oru::platform {

// Capacity of path buffers, terminator included (the ANSI calls' MAX_PATH).
constexpr int kPathCapacity = 260;

// The format of the libraries that the system's loader maps: PE images on Windows, ELF
// shared objects on Linux.
constexpr bool kLibrariesArePe = true;

}  // namespace oru::platform
