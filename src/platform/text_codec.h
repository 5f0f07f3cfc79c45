// Conversions between UTF-16 and the system's narrow (ANSI code page) text.
#pragma once

namespace oru::platform {

// Both conversions follow the Windows calls: a count of -1 converts up to and including
// the terminator (which then counts in the result); a capacity of 0 asks for the size
// needed. Returns the number of units written or needed, 0 on failure.
int wideToNarrow(const char16_t* units, int count, char* out, int capacity);
int narrowToWide(const char* bytes, int count, char16_t* out, int capacity);

}  // namespace oru::platform
