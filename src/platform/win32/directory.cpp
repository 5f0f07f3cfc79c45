// Directory searches on Windows: FindFirstFileW and FindNextFileW.
// Only Windows code belongs in this file.
#include "platform/directory.h"

#include "platform/text_codec.h"
#include "platform/win32/windows_api.h"

namespace oru::platform {

using win32::wide;
using win32::widePath;

bool pathExists(const char* pattern) {
    if (!pattern || !*pattern) return false;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(wide(widePath(pattern)), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

namespace {

// A name that the ANSI code page cannot hold is given in its short form, which opens
// the same entry; without one it stays lossy, and opening it fails.
void fillEntry(const WIN32_FIND_DATAW& data, DirectoryEntry& entry) {
    if (!win32::ansiExactly(data.cFileName, -1, entry.name) &&
        !(data.cAlternateFileName[0] &&
          win32::ansiExactly(data.cAlternateFileName, -1, entry.name)))
        platform::wideToNarrow(reinterpret_cast<const char16_t*>(data.cFileName), -1, entry.name);
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool DirectoryListing::open(const char* directory) {
    close();
    directory_ = directory;
    NarrowString pattern = directory_ + "*.*";
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(wide(widePath(pattern.c_str())), &data);
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
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(static_cast<HANDLE>(handle_), &data)) return false;
    fillEntry(data, entry);
    return true;
}

void DirectoryListing::close() {
    if (handle_) FindClose(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    pending_ = false;
}

}  // namespace oru::platform
