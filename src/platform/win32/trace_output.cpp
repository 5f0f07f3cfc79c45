// The launch trace's destination on Windows: standard error or a file on disk or console.
// Only Windows code belongs in this file.
#include "platform/trace_output.h"

#include <cstring>

#include "platform/win32/windows_api.h"

namespace oru::platform {

void* openTraceOutput(const char* target) {
    if (!target || !*target) return nullptr;
    if (std::strcmp(target, "1") == 0) {
        HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
        return standardError == INVALID_HANDLE_VALUE ? nullptr : standardError;
    }
    // Opening a named pipe without a free instance fails at once rather than waiting;
    // pipes and devices other than a console (NUL, serial ports) are refused.
    HANDLE file = CreateFileA(target, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    const DWORD type = GetFileType(file);
    DWORD consoleMode = 0;
    if (type != FILE_TYPE_DISK && !(type == FILE_TYPE_CHAR && GetConsoleMode(file, &consoleMode))) {
        CloseHandle(file);
        return nullptr;
    }
    return file;
}

// Windows has no signal for a pipe whose reader went away: the write fails.
bool writeTraceOutput(void* output, const char* bytes, size_t count) {
    if (!output) return false;
    while (count > 0) {
        const DWORD chunk = count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(count);
        DWORD done = 0;
        if (!WriteFile(static_cast<HANDLE>(output), bytes, chunk, &done, nullptr) || done == 0)
            return false;
        bytes += done;
        count -= done;
    }
    return true;
}

}  // namespace oru::platform
