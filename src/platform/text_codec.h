// Conversions between UTF-16 and the system's narrow (ANSI code page) text, and UTF-8.
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

// Replaces `out` with the UTF-16 `units` (count -1: up to the terminator) in the ANSI code
// page (a NUL unit as a NUL byte). False when a character has no exact form there, and a
// replacement ("?") or a best-fit look-alike stands for it.
bool wideToNarrowExactly(const char16_t* units, int count, NarrowString& out);

// UTF-8, strictly, as Java's own coders read it. appendUtf8 appends the UTF-8 form of the
// `count` UTF-16 units to `out` (a NUL unit as a NUL byte); false, with `out` holding
// part of it, when they hold an unpaired surrogate. utf8ToUtf16 replaces `out` with the
// UTF-16 form of the `count` bytes; false when they are not well-formed UTF-8 (a stray
// or missing continuation byte, an overlong form, a surrogate, past U+10FFFF).
bool appendUtf8(NarrowString& out, const char16_t* units, int count);
bool utf8ToUtf16(const char* bytes, int count, WideString& out);

}  // namespace oru::platform
