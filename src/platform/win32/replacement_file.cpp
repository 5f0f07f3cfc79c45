// The replacement file on Windows: a new file beside the destination (CREATE_NEW), moved
// over it at the end, and removed when the console asks the process to end.
// Only Windows code belongs in this file.
#include "platform/replacement_file.h"

#include <cstdio>
#include <cstring>

#include "platform/win32/windows_api.h"

namespace oru::platform {

namespace {

char pendingPath[kPathCapacity + 32];
volatile LONG pendingArmed = 0;

// Ctrl+C, Ctrl+Break, closing the console: the file goes (it was opened for sharing
// deletion), and the default handler then ends the process.
BOOL WINAPI removePending(DWORD) {
    if (pendingArmed) DeleteFileA(pendingPath);
    return FALSE;
}

void copyReason(char* out, size_t capacity, DWORD error) {
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, out, static_cast<DWORD>(capacity), nullptr);
    while (length > 0 && (out[length - 1] == '\r' || out[length - 1] == '\n' ||
                          out[length - 1] == '.' || out[length - 1] == ' '))
        --length;
    if (length == 0) {
        std::snprintf(out, capacity, "error %lu", static_cast<unsigned long>(error));
        return;
    }
    out[length] = '\0';
}

}  // namespace

bool ReplacementFile::create(const char* destination) {
    discard();
    if (std::strlen(destination) + 32 >= sizeof path_ ||
        std::strlen(destination) >= sizeof destination_) {
        copyReason(failure_, sizeof failure_, ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::snprintf(destination_, sizeof destination_, "%s", destination);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::snprintf(path_, sizeof path_, "%s.oru-pack-%lx%lx%x", destination,
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()), counter++);
        HANDLE file = CreateFileA(path_, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = file;
            std::memcpy(pendingPath, path_, std::strlen(path_) + 1);
            pendingArmed = 1;
            SetConsoleCtrlHandler(removePending, TRUE);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    copyReason(failure_, sizeof failure_, GetLastError());
    return false;
}

bool ReplacementFile::write(const void* bytes, size_t count) {
    const char* at = static_cast<const char*>(bytes);
    while (handle_ && count > 0) {
        const DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
        DWORD done = 0;
        if (!WriteFile(static_cast<HANDLE>(handle_), at, chunk, &done, nullptr) || done == 0) {
            copyReason(failure_, sizeof failure_, done == 0 ? ERROR_DISK_FULL : GetLastError());
            return false;
        }
        at += done;
        count -= done;
    }
    return handle_ != nullptr;
}

// Windows marks no file executable: its name says what it is.
bool ReplacementFile::commit() {
    if (!handle_) return false;
    bool done = CloseHandle(static_cast<HANDLE>(handle_)) != 0;
    handle_ = nullptr;
    if (done) done = MoveFileExA(path_, destination_, MOVEFILE_REPLACE_EXISTING) != 0;
    if (!done) {
        copyReason(failure_, sizeof failure_, GetLastError());
        DeleteFileA(path_);
    }
    pendingArmed = 0;
    SetConsoleCtrlHandler(removePending, FALSE);
    return done;
}

void ReplacementFile::discard() {
    if (!handle_) return;
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
    DeleteFileA(path_);
    pendingArmed = 0;
    SetConsoleCtrlHandler(removePending, FALSE);
}

}  // namespace oru::platform
