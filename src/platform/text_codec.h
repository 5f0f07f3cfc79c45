// Conversions between UTF-16 and the system's narrow (ANSI code page) text.
#pragma once

#include "support/narrow_string.h"
#include "support/wide_string.h"

namespace oru::platform {

// Both conversions follow the Windows calls: a count of -1 converts up to and including
// the terminator (which then counts in the result); a capacity of 0 asks for the size
// needed. Returns the number of units written or needed, 0 on failure.
int wideToNarrow(const char16_t* units, int count, char* out, int capacity);
int narrowToWide(const char* bytes, int count, char16_t* out, int capacity);

// Replaces `out` with the UTF-16 `units` (count -1: up to the terminator) in the ANSI code
// page, with the conversion's flags 0; a unit that converts to NUL ends the text.
void wideToNarrow(const char16_t* units, int count, NarrowString& out);
// Replaces `out` with the ANSI code page `bytes` (count -1: up to the terminator) in
// UTF-16, precomposed; a byte that converts to NUL ends the text.
void narrowToWide(const char* bytes, int count, WideString& out);

}  // namespace oru::platform
