// Directory searches on Windows: FindFirstFileA and FindNextFileA.
// Only Windows code belongs in this file.
#include "platform/directory.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

bool pathExists(const char* pattern) {
    if (!pattern || !*pattern) return false;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

namespace {

void fillEntry(const WIN32_FIND_DATAA& data, DirectoryEntry& entry) {
    entry.name = data.cFileName;
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool DirectoryListing::open(const char* directory) {
    close();
    directory_ = directory;
    NarrowString pattern = directory_ + "*.*";
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    handle_ = search;
    fillEntry(data, first_);
    pending_ = true;
    return true;
}

bool DirectoryListing::next(DirectoryEntry& entry) {
    if (!handle_) return false;
    if (pending_) {
        pending_ = false;
        entry = first_;
        return true;
    }
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(static_cast<HANDLE>(handle_), &data)) return false;
    fillEntry(data, entry);
    return true;
}

void DirectoryListing::close() {
    if (handle_) FindClose(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    pending_ = false;
}

}  // namespace oru::platform
