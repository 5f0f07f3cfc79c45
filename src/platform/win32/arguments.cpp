// Arguments on Windows: the wide command line, for what the ANSI vector lost.
// Only Windows code belongs in this file.
#include "platform/arguments.h"

#include "platform/text_codec.h"
#include "platform/win32/windows_api.h"

// After windows.h, whose declarations it builds on.
#include <shellapi.h>

namespace oru::platform {

bool exactArgument(int index, const char* narrow, WideString& out) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return false;
    // Only the argument whose lossy conversion is the narrow one counts: the two
    // splitters could disagree on a strange command line, and a text that converts
    // exactly stays as today.
    NarrowString converted;
    const bool found = index >= 0 && index + 1 < count && narrow &&
                       !win32::ansiExactly(arguments[index + 1], -1, converted);
    if (found) {
        platform::wideToNarrow(reinterpret_cast<const char16_t*>(arguments[index + 1]), -1,
                               converted);
        if (converted == narrow)
            out = WideString(reinterpret_cast<char16_t*>(arguments[index + 1]));
    }
    LocalFree(arguments);
    return found && converted == narrow;
}

}  // namespace oru::platform
