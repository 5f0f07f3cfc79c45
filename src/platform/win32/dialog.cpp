// The failure report on Windows: a modal warning message box.
// Only Windows code belongs in this file.
#include "platform/dialog.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

void showMessageBox(void* owner, const char* text, const char* caption) {
    MessageBoxA(static_cast<HWND>(owner), text, caption, MB_OK | MB_ICONWARNING);
}

}  // namespace oru::platform
