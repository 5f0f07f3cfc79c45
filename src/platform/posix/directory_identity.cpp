// Directory identity on Linux: device and inode.
// Only Linux code belongs in this file.
#include "platform/directory_identity.h"

#include <sys/stat.h>

namespace oru::platform {

bool directoryIdentity(const char* path, DirectoryIdentity& out) {
    struct stat info;
    if (!path || stat(path, &info) != 0) return false;
    out.volume = static_cast<uint64_t>(info.st_dev);
    out.index = static_cast<uint64_t>(info.st_ino);
    return true;
}

}  // namespace oru::platform
