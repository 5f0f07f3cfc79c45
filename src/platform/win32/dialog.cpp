// The failure report on Windows: a modal warning message box.
// Only Windows code belongs in this file.
#include "platform/dialog.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

// The owner, the splash window, may close (a key press) just before the box opens; a box
// refused for its owner is shown without one, so that the message is never lost.
void showMessageBox(void* owner, const char* text, const char* caption) {
    const UINT style = MB_OK | MB_ICONWARNING;
    if (MessageBoxA(static_cast<HWND>(owner), text, caption, style) == 0 && owner)
        MessageBoxA(nullptr, text, caption, style);
}

}  // namespace oru::platform
