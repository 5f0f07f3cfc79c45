// Formatted printing into a buffer: the C runtime's printf family, bounded.
#pragma once

#include <cstdarg>

namespace oru::platform {

// Writes `format` with `arguments` into `buffer`, at most `capacity` - 1 bytes followed
// by a NUL (capacity > 0); a longer result is cut there. Returns the bytes written.
int formatInto(char* buffer, int capacity, const char* format, va_list arguments);

}  // namespace oru::platform
