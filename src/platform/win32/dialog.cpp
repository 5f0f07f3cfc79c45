// The failure report on Windows: a modal warning message box.
// Only Windows code belongs in this file.
#include "platform/dialog.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

// The owner, the splash window, may close (a key press) just before the box opens; a box
// refused for its owner is shown without one, so that the message is never lost.
void showMessageBox(void* owner, const char* text, const char* caption) {
    if (isConsoleProgram()) {
        HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD written = 0;
        const char* parts[] = {caption ? caption : "", ": ", text ? text : "", "\r\n"};
        for (const char* part : parts) WriteFile(error, part, lstrlenA(part), &written, nullptr);
        return;
    }
    const UINT style = MB_OK | MB_ICONWARNING;
    if (MessageBoxA(static_cast<HWND>(owner), text, caption, style) == 0 && owner)
        MessageBoxA(nullptr, text, caption, style);
}

bool isConsoleProgram() {
    // The running image's own headers, as the loader mapped them.
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace oru::platform
