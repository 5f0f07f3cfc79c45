// Executable path, current directory, full paths and path style on Windows.
// Only Windows code belongs in this file.
#include "platform/path_style.h"
#include "platform/paths.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

const PathStyle& pathStyle() {
    static const PathStyle style{'\\', ';', true};
    return style;
}

bool isDirectorySeparator(char c) { return c == '\\' || c == '/'; }

bool isAbsolutePath(const char* path) {
    if (!path || !path[0]) return false;
    return path[0] == '\\' || path[0] == '/' || path[1] == ':';
}

NarrowString configurationFilePath(const NarrowString& executablePath, const char* suffix) {
    // The last four characters are the extension of tool.exe.
    return executablePath.left(executablePath.length() - 4) + suffix;
}

bool executablePath(NarrowString& out) {
    out = "";
    char buffer[kPathCapacity];
    DWORD n = GetModuleFileNameA(nullptr, buffer, kPathCapacity);
    if (n == 0 || n >= static_cast<DWORD>(kPathCapacity)) return false;
    out = NarrowString(buffer, static_cast<int>(n));
    return true;
}

bool currentDirectory(NarrowString& out) {
    out = "";
    char buffer[kPathCapacity];
    DWORD n = GetCurrentDirectoryA(kPathCapacity, buffer);
    if (n == 0 || n >= static_cast<DWORD>(kPathCapacity)) return false;
    out = NarrowString(buffer, static_cast<int>(n));
    return true;
}

bool changeDirectory(const char* path) { return path && SetCurrentDirectoryA(path) != 0; }

int fullPathName(const char* path, char* buffer, int capacity) {
    if (!path || capacity < 0) return 0;
    return static_cast<int>(GetFullPathNameA(path, static_cast<DWORD>(capacity), buffer, nullptr));
}

}  // namespace oru::platform
