// Standard output and error handles set to NUL and back, on Windows.
// Only Windows code belongs in this file.
#include "platform/quiet_output.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

namespace {

HANDLE savedOutput = nullptr;
HANDLE savedError = nullptr;
HANDLE nullDevice = nullptr;

}  // namespace

// The handles are what child processes that inherit them get; the C runtime's own
// descriptors in this process keep theirs.
bool silenceStandardOutput() {
    if (nullDevice) return true;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE null = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, OPEN_EXISTING, 0, nullptr);
    if (null == INVALID_HANDLE_VALUE) return false;
    nullDevice = null;
    savedOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    savedError = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, null);
    SetStdHandle(STD_ERROR_HANDLE, null);
    return true;
}

void restoreStandardOutput() {
    if (!nullDevice) return;
    SetStdHandle(STD_OUTPUT_HANDLE, savedOutput);
    SetStdHandle(STD_ERROR_HANDLE, savedError);
    CloseHandle(nullDevice);
    nullDevice = nullptr;
}

}  // namespace oru::platform
