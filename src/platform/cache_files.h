// The user's cache folder and the few file operations a cache kept there needs.
#pragma once

#include <cstdint>

#include "support/narrow_string.h"

namespace oru::platform {

// The user's folder for caches, with a trailing separator: $XDG_CACHE_HOME when it is an
// absolute path, else ~/.cache on Linux; %LOCALAPPDATA% on Windows. False when none is set.
bool userCacheFolder(NarrowString& out);

// Makes the folder `path` and the missing folders above it; true when it exists as a
// folder afterwards.
bool makeFolders(const char* path);

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
