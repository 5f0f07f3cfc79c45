// A new file written beside the one it replaces, and put in its place only once complete.
#pragma once

#include <cstddef>

#include "platform_limits.h"

namespace oru::platform {

// One at a time per process: an interruption must know the one file to remove.
class ReplacementFile {
public:
    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile() { discard(); }

    // Creates an empty file in the directory of `destination` under a name no file had
    // (exclusive creation, which never follows a link), readable and writable by its owner
    // only. Until commit or discard, whatever interruption would end the process (Ctrl+C,
    // a termination request, on Linux every catchable signal whose default action ends
    // it) removes it first, and a write past the file size limit fails instead of ending
    // the process. False with the system's reason in failure().
    bool create(const char* destination);
    // Appends `count` bytes; false with the reason in failure().
    bool write(const void* bytes, size_t count);
    // Makes the file executable (as far as the user's file creation mask allows) and
    // renames it over the destination; false with the reason in failure(), the file then
    // removed.
    bool commit();
    // Removes the file, if any is pending.
    void discard();
    // The system's text for the last failure ("No space left on device").
    const char* failure() const { return failure_; }

private:
    void* handle_ = nullptr;
    char path_[kPathCapacity + 32] = {};
    char destination_[kPathCapacity] = {};
    char failure_[160] = {};
};

}  // namespace oru::platform
