// The few file operations a cache kept in the user's cache folder needs.
#pragma once

#include <cstdint>

namespace oru::platform {

// Makes the folder `path` (in a folder that exists); true when it was made or exists.
bool makeFolder(const char* path);

// What tells one version of a file from another: its size and modification time.
struct FileStamp {
    uint64_t size = 0;
    int64_t modified = 0;
};

// The stamp of the regular file at `path` (links followed); false when there is none.
bool fileStamp(const char* path, FileStamp& out);

// Creates the empty file `path`, which must not exist yet (never through a link).
bool createNewFile(const char* path);

// Puts `from` in the place of `to`, replacing it at once for every reader.
bool replaceFile(const char* from, const char* to);

// Removes the file `path`.
bool removeFile(const char* path);

// The number that tells this process from the others running now.
uint32_t processNumber();

}  // namespace oru::platform
