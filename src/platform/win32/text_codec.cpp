// ANSI code page and UTF-8 conversions through the Windows API.
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

bool wideToNarrowExactly(const char16_t* units, int count, NarrowString& out) {
    // A UTF-8 code page holds every character and takes no loss flag.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lost = FALSE;
    BOOL* lossFlag = utf8 ? nullptr : &lost;
    const auto* wide = reinterpret_cast<LPCWCH>(units);
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, count, nullptr, 0, nullptr, lossFlag);
    out.resize(size);
    if (size > 0)
        WideCharToMultiByte(CP_ACP, flags, wide, count, out.data(), size, nullptr, lossFlag);
    if (count < 0 && size > 0) out.resize(size - 1);  // the terminator was counted
    return (size > 0 || count == 0) && !lost;
}

bool appendUtf8(NarrowString& out, const char16_t* units, int count) {
    const auto* wide = reinterpret_cast<LPCWCH>(units);
    const int size = count > 0 ? WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, count,
                                                     nullptr, 0, nullptr, nullptr)
                               : 0;
    if (size <= 0) return count == 0;
    const int start = out.length();
    out.resize(start + size);
    return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, count, out.data() + start, size,
                               nullptr, nullptr) == size;
}

bool utf8ToUtf16(const char* bytes, int count, WideString& out) {
    const int size =
        count > 0 ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, count, nullptr, 0)
                  : 0;
    out.resize(size);
    if (size <= 0) return count == 0;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, count,
                               reinterpret_cast<LPWSTR>(out.data()), size) == size;
}

}  // namespace oru::platform
