// Paths between the wide Windows calls and the ANSI code page the launcher works in.
// Only Windows code belongs in this file.
#include "platform/text_codec.h"
#include "platform/win32/windows_api.h"

namespace oru::platform::win32 {

AnsiForm ansiPath(const wchar_t* wide, int limit, NarrowString& out) {
    if (ansiExactly(wide, -1, out) && out.length() < limit) return AnsiForm::kLong;
    NarrowString lossy = out;
    const DWORD size = GetShortPathNameW(wide, nullptr, 0);
    WideString shortForm;
    shortForm.resize(static_cast<int>(size));
    const DWORD n =
        size ? GetShortPathNameW(wide, reinterpret_cast<LPWSTR>(shortForm.data()), size) : 0;
    if (n > 0 && n < size &&
        ansiExactly(reinterpret_cast<const wchar_t*>(shortForm.c_str()), static_cast<int>(n),
                    out) &&
        out.length() < limit)
        return AnsiForm::kShort;
    out = lossy;
    return AnsiForm::kNone;
}

WideString widePath(const char* path) {
    WideString text;
    if (!path) return text;
    platform::narrowToWide(path, -1, text);
    const char16_t* units = text.c_str();
    const bool drivePath = units[0] && units[1] == u':' && (units[2] == u'\\' || units[2] == u'/');
    if (text.length() < MAX_PATH - 12 || !drivePath) return text;
    // The prefix turns off every folding, so the path must already be in full form.
    WideString prefixed(u"\\\\?\\");
    prefixed.append(units, text.length());
    for (int i = 0; i < prefixed.length(); ++i)
        if (prefixed.data()[i] == u'/') prefixed.data()[i] = u'\\';
    return prefixed;
}

}  // namespace oru::platform::win32
