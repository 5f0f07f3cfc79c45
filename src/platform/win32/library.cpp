// Libraries on Windows: LoadLibraryA, GetProcAddress, FreeLibrary and the error mode.
// Only Windows code belongs in this file.
#include "platform/library.h"

#include "platform/environment.h"
#include "platform/win32/windows_api.h"

namespace oru::platform {

LibraryHandle loadLibrary(const char* path) {
    if (!path || !*path) return nullptr;
    return LoadLibraryA(path);
}

void* librarySymbol(LibraryHandle library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

NarrowString lastLoadError() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    NarrowString message(text ? text : "", static_cast<int>(length));
    if (text) LocalFree(text);
    while (message.length() > 0 && (message.byteAt(message.length() - 1) == '\n' ||
                                    message.byteAt(message.length() - 1) == '\r'))
        message.resize(message.length() - 1);
    // The code in decimal, without the C++ runtime's formatter.
    char number[16];
    int at = sizeof number;
    number[--at] = '\0';
    DWORD rest = code;
    do {
        number[--at] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest);
    return message + " (error " + (number + at) + ")";
}

void unloadLibrary(LibraryHandle library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

void suppressLoadErrorDialogs() {
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

// LoadLibrary reads PATH from the process environment at each search, so the new
// element takes effect for the next load and for the libraries that load in turn.
bool widenLibrarySearch(const char* directory) {
    NarrowString path;
    environmentValue("PATH", path);
    path += ";";
    path += directory;
    return SetEnvironmentVariableA("PATH", path.c_str()) != 0;
}

}  // namespace oru::platform
