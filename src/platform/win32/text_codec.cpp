// ANSI code page conversions through the Windows API.
// Only Windows code belongs in this file.
#include "platform/text_codec.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

int wideToNarrow(const char16_t* units, int count, char* out, int capacity) {
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(units), count, out, capacity,
                               nullptr, nullptr);
}

int narrowToWide(const char* bytes, int count, char16_t* out, int capacity) {
    return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, bytes, count, reinterpret_cast<LPWSTR>(out),
                               capacity);
}

}  // namespace oru::platform
