// Executable path, current directory, full paths and path style on Windows.
// Only Windows code belongs in this file.
#include "platform/paths.h"
#include "platform/path_style.h"

#include "platform/text_codec.h"
#include "platform/win32/windows_api.h"

namespace oru::platform {

namespace {

// The longest path the wide calls return.
constexpr DWORD kWidePathCapacity = 32768;

}  // namespace

const PathStyle& pathStyle() {
    static const PathStyle style{'\\', ';', true};
    return style;
}

bool isDirectorySeparator(char c) { return c == '\\' || c == '/'; }

bool isAbsolutePath(const char* path) {
    if (!path || !path[0]) return false;
    return path[0] == '\\' || path[0] == '/' || path[1] == ':';
}

bool isFullyQualifiedPath(const char* path) {
    if (!path || !path[0]) return false;
    if (isDirectorySeparator(path[0])) return isDirectorySeparator(path[1]);
    return path[1] == ':' && isDirectorySeparator(path[2]);
}

NarrowString configurationFilePath(const NarrowString& executablePath, const char* suffix) {
    // The last four characters are the extension of tool.exe.
    NarrowString path = executablePath.left(executablePath.length() - 4) + suffix;
    // An executable named outside the ANSI code page runs under its short name, but the
    // file beside it is named after its long one: that file's short form, if it exists.
    WideString given, wide;
    platform::narrowToWide(executablePath.c_str(), -1, given);
    wide.resize(static_cast<int>(kWidePathCapacity));
    const DWORD n = GetLongPathNameW(win32::wide(given), reinterpret_cast<LPWSTR>(wide.data()),
                                     kWidePathCapacity);
    if (n <= 4 || n >= kWidePathCapacity) return path;
    wide.resize(static_cast<int>(n) - 4);
    WideString suffixUnits;
    platform::narrowToWide(suffix, -1, suffixUnits);
    wide.append(suffixUnits.c_str(), suffixUnits.length());
    NarrowString beside;
    if (win32::ansiPath(reinterpret_cast<const WCHAR*>(wide.c_str()), kPathCapacity, beside) !=
        win32::AnsiForm::kNone)
        return beside;
    return path;
}

namespace {

bool narrowPath(const WCHAR* wide, NarrowString& out, NarrowString* unrepresentable) {
    if (win32::ansiPath(wide, kPathCapacity, out) != win32::AnsiForm::kNone) return true;
    if (unrepresentable) *unrepresentable = out;
    out = "";
    return false;
}

}  // namespace

bool executablePath(NarrowString& out, NarrowString* unrepresentable) {
    out = "";
    WideString wide;
    wide.resize(static_cast<int>(kWidePathCapacity));
    LPWSTR units = reinterpret_cast<LPWSTR>(wide.data());
    DWORD n = GetModuleFileNameW(nullptr, units, kWidePathCapacity);
    if (n == 0 || n >= kWidePathCapacity) return false;
    units[n] = 0;
    return narrowPath(units, out, unrepresentable);
}

bool currentDirectory(NarrowString& out) {
    out = "";
    WideString wide;
    wide.resize(static_cast<int>(kWidePathCapacity));
    LPWSTR units = reinterpret_cast<LPWSTR>(wide.data());
    DWORD n = GetCurrentDirectoryW(kWidePathCapacity, units);
    if (n == 0 || n >= kWidePathCapacity) return false;
    return narrowPath(units, out, nullptr);
}

bool changeDirectory(const char* path) { return path && SetCurrentDirectoryA(path) != 0; }

int fullPathName(const char* path, char* buffer, int capacity) {
    if (!path || capacity < 0) return 0;
    return static_cast<int>(GetFullPathNameA(path, static_cast<DWORD>(capacity), buffer, nullptr));
}

}  // namespace oru::platform
