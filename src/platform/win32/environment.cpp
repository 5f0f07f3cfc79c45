// The process environment on Windows.
// Only Windows code belongs in this file.
#include "platform/environment.h"

#include "platform/text_codec.h"
#include "platform/win32/windows_api.h"

namespace oru::platform {

bool environmentValue(const char* name, NarrowString& out) {
    out = "";
    if (!name || !*name) return false;
    WideString wideName;
    platform::narrowToWide(name, -1, wideName);
    WideString value;
    value.resize(256);
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(win32::wide(wideName), reinterpret_cast<LPWSTR>(value.data()),
                                      static_cast<DWORD>(value.length() + 1));
    if (n == 0) {
        // Set but empty, or not set at all.
        return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }
    if (n > static_cast<DWORD>(value.length())) {
        value.resize(static_cast<int>(n));
        n = GetEnvironmentVariableW(win32::wide(wideName), reinterpret_cast<LPWSTR>(value.data()),
                                    n);
        if (n == 0 || n > static_cast<DWORD>(value.length())) return false;
    }
    value.resize(static_cast<int>(n));
    // A value that the ANSI code page cannot hold but that names a file or folder (a
    // runtime's home, a class path of one element) is given in its short form.
    const auto* units = reinterpret_cast<const WCHAR*>(value.c_str());
    if (!win32::ansiExactly(units, -1, out)) win32::ansiPath(units, 0x7FFFFFFF, out);
    return true;
}

bool setEnvironmentValue(const char* name, const char* value) {
    return name && *name && value && SetEnvironmentVariableA(name, value) != 0;
}

bool clearEnvironmentValue(const char* name) {
    return name && *name && SetEnvironmentVariableA(name, nullptr) != 0;
}

bool userCacheFolder(NarrowString& out) {
    if (!environmentValue("LOCALAPPDATA", out) || out.empty()) return false;
    out += "\\";
    return true;
}

}  // namespace oru::platform
