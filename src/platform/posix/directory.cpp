// Directory searches on Linux: glob for existence, opendir for listings.
// Only Linux code belongs in this file.
#include "platform/directory.h"

#include <dirent.h>
#include <glob.h>
#include <sys/stat.h>

namespace oru::platform {

namespace {

// Only "*" and "?" are wildcards, as in a Windows directory search: a "[" is made to
// match itself, and GLOB_NOESCAPE keeps "\\" an ordinary character.
NarrowString onlyStarAndQuestionMark(const char* pattern) {
    NarrowString escaped;
    for (const char* p = pattern; *p; ++p) {
        if (*p == '[')
            escaped += "[[]";
        else
            escaped += *p;
    }
    return escaped;
}

}  // namespace

bool pathExists(const char* pattern) {
    if (!pattern || !*pattern) return false;
    glob_t found{};
    // Without wildcards glob still checks that the name exists.
    int rc = glob(onlyStarAndQuestionMark(pattern).c_str(), GLOB_NOSORT | GLOB_NOESCAPE, nullptr,
                  &found);
    bool exists = rc == 0 && found.gl_pathc > 0;
    globfree(&found);
    return exists;
}

bool DirectoryListing::open(const char* directory) {
    close();
    DIR* dir = opendir(directory);
    if (!dir) return false;
    handle_ = dir;
    directory_ = directory;
    return true;
}

bool DirectoryListing::next(DirectoryEntry& entry) {
    if (!handle_) return false;
    struct dirent* found = readdir(static_cast<DIR*>(handle_));
    if (!found) return false;
    entry.name = found->d_name;
    bool isDirectory = found->d_type == DT_DIR;
    if (found->d_type == DT_UNKNOWN || found->d_type == DT_LNK) {
        // Links count as what they point to, as on Windows listings of junctions.
        struct stat info;
        NarrowString full = directory_ + entry.name;
        isDirectory = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    entry.isDirectory = isDirectory;
    return true;
}

void DirectoryListing::close() {
    if (handle_) closedir(static_cast<DIR*>(handle_));
    handle_ = nullptr;
}

}  // namespace oru::platform
