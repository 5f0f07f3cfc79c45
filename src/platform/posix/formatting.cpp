// Formatted printing on Linux: vsnprintf.
// Only Linux code belongs in this file.
#include "platform/formatting.h"

#include <cstdio>

namespace oru::platform {

int formatInto(char* buffer, int capacity, const char* format, va_list arguments) {
    int written = std::vsnprintf(buffer, static_cast<size_t>(capacity), format, arguments);
    if (written < 0) written = 0;
    if (written >= capacity) written = capacity - 1;
    buffer[written] = '\0';
    return written;
}

}  // namespace oru::platform
