// Standard output and error handles set to NUL, on Windows.
// Only Windows code belongs in this file.
#include "platform/quiet_output.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

// The handles are what child processes that inherit them get; the C runtime's own
// descriptors in this process keep theirs, so nothing needs giving back.
bool silenceStandardOutput() {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE null = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, OPEN_EXISTING, 0, nullptr);
    return null != INVALID_HANDLE_VALUE && SetStdHandle(STD_OUTPUT_HANDLE, null) &&
           SetStdHandle(STD_ERROR_HANDLE, null);
}

void restoreStandardOutput() {}

}  // namespace oru::platform
