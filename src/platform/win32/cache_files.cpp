// The user's cache folder and its file operations on Windows.
// Only Windows code belongs in this file.
#include "platform/cache_files.h"

#include "platform/environment.h"
#include "platform/win32/windows_api.h"

namespace oru::platform {

bool userCacheFolder(NarrowString& out) {
    if (!environmentValue("LOCALAPPDATA", out) || out.empty()) return false;
    out += "\\";
    return true;
}

bool makeFolders(const char* path) {
    NarrowString partial;
    for (const char* at = path; *at; ++at) {
        partial.append(at, 1);
        // A drive ("C:") or the start of a share is no folder to make.
        if ((at[1] == '\\' || at[1] == '/' || at[1] == '\0') &&
            partial.byteAt(partial.length() - 1) != ':')
            CreateDirectoryW(win32::wide(win32::widePath(partial.c_str())), nullptr);
    }
    const DWORD attributes = GetFileAttributesW(win32::wide(win32::widePath(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileStamp(const char* path, FileStamp& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(win32::wide(win32::widePath(path)), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    out.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.modified =
        static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime);
    return true;
}

bool createNewFile(const char* path) {
    win32::ScopedHandle handle(CreateFileW(win32::wide(win32::widePath(path)), GENERIC_WRITE, 0,
                                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.valid();
}

bool replaceFile(const char* from, const char* to) {
    return MoveFileExW(win32::wide(win32::widePath(from)), win32::wide(win32::widePath(to)),
                       MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const char* path) { return DeleteFileW(win32::wide(win32::widePath(path))) != 0; }

uint32_t processNumber() { return GetCurrentProcessId(); }

}  // namespace oru::platform
