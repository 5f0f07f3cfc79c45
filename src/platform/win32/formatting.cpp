// Formatted printing on Windows: the system C runtime's own _vsnprintf.
// Only Windows code belongs in this file.
#include "platform/formatting.h"

#include <cstdio>

namespace oru::platform {

// The system runtime's formatter rather than the toolchain's portable one, which would
// add some 30 KB of floating-point formatting to every launcher. _vsnprintf returns -1
// when the text is cut, and then writes no NUL.
int formatInto(char* buffer, int capacity, const char* format, va_list arguments) {
    int written = _vsnprintf(buffer, static_cast<size_t>(capacity), format, arguments);
    if (written < 0 || written >= capacity) written = capacity - 1;
    buffer[written] = '\0';
    return written;
}

}  // namespace oru::platform
