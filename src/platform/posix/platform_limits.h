// Limits of the Linux platform calls; found through the backend's include directory.
// Only Linux code belongs in this file.
#pragma once

namespace oru::platform {

// Capacity of path buffers, terminator included (PATH_MAX): Linux paths are routinely
// longer than the 260 characters of the Windows calls.
constexpr int kPathCapacity = 4096;

// The format of the libraries that the system's loader maps: PE images on Windows, ELF
// shared objects on Linux.
constexpr bool kLibrariesArePe = false;

}  // namespace oru::platform
