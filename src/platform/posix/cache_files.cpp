// The file operations of a cache on Linux.
// Only Linux code belongs in this file.
#include "platform/cache_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace oru::platform {

bool makeFolder(const char* path) { return mkdir(path, 0700) == 0 || errno == EEXIST; }

bool fileStamp(const char* path, FileStamp& out) {
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    out.size = static_cast<uint64_t>(info.st_size);
    out.modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return true;
}

bool createNewFile(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    return fd >= 0 && close(fd) == 0;
}

bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool removeFile(const char* path) { return unlink(path) == 0; }

uint32_t processNumber() { return static_cast<uint32_t>(getpid()); }

}  // namespace oru::platform
