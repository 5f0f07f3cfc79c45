// The file operations of a cache on Windows.
// Only Windows code belongs in this file.
#include "platform/cache_files.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

// The paths are in the ANSI code page (the cache folder's short form when it needs one),
// as the virtual machine's options carry them, so the narrow calls take them as they are.
bool makeFolder(const char* path) {
    return CreateDirectoryA(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool fileStamp(const char* path, FileStamp& out) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    out.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    out.modified =
        static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime);
    return true;
}

bool createNewFile(const char* path) {
    const HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

bool replaceFile(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const char* path) { return DeleteFileA(path) != 0; }

uint32_t processNumber() { return GetCurrentProcessId(); }

}  // namespace oru::platform
