// The one header that includes <windows.h>, with the settings the launcher builds with.
// Only Windows code belongs in this folder.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/text_codec.h"
#include "support/narrow_string.h"
#include "support/wide_string.h"

namespace oru::platform::win32 {

// `units` in the ANSI code page when every character converts as it is (no best-fit
// substitutes, no default character); false otherwise (platform::wideToNarrowExactly).
inline bool ansiExactly(const wchar_t* units, int count, NarrowString& out) {
    return wideToNarrowExactly(reinterpret_cast<const char16_t*>(units), count, out);
}

// How a path came out of wide text into the ANSI code page.
enum class AnsiForm { kLong, kShort, kNone };

// The path `wide` (null-terminated) for the narrow calls and the virtual machine's
// options: as it is when it converts exactly and is shorter than `limit`, else its short
// (8.3) form when that converts exactly; kNone otherwise, with the lossy conversion.
AnsiForm ansiPath(const wchar_t* wide, int limit, NarrowString& out);

// The ANSI path `path` as the wide calls take it; a long absolute one gets the "\\?\"
// prefix that lifts the 260-character limit.
WideString widePath(const char* path);
inline LPCWSTR wide(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

// Closes a handle from CreateFile and friends when it goes out of scope.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (valid()) CloseHandle(handle_);
        handle_ = handle;
    }
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

// Opens an existing file for reading, sharing reading and writing with others.
inline HANDLE openSharedForReading(const char* path) {
    return CreateFileW(wide(widePath(path)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace oru::platform::win32
