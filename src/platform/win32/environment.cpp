// The process environment on Windows.
// Only Windows code belongs in this file.
#include "platform/environment.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

bool environmentValue(const char* name, NarrowString& out) {
    out = "";
    if (!name || !*name) return false;
    char small[256];
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
    if (n == 0) {
        // Set but empty, or not set at all.
        return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }
    if (n < sizeof small) {
        out = NarrowString(small, static_cast<int>(n));
        return true;
    }
    out.resize(static_cast<int>(n));
    DWORD written = GetEnvironmentVariableA(name, out.data(), n);
    out.resize(written < n ? static_cast<int>(written) : 0);
    return written < n;
}

bool setEnvironmentValue(const char* name, const char* value) {
    return name && *name && value && SetEnvironmentVariableA(name, value) != 0;
}

bool clearEnvironmentValue(const char* name) {
    return name && *name && SetEnvironmentVariableA(name, nullptr) != 0;
}

}  // namespace oru::platform
