// UTF-16 to UTF-8 and back, strictly: what Java's own coders accept, nothing else.
#pragma once

#include "support/narrow_string.h"
#include "support/wide_string.h"

namespace oru {

// Appends the UTF-8 form of `count` UTF-16 units (a NUL unit as a NUL byte). False when
// they hold an unpaired surrogate, which has no UTF-8 form; `out` then holds the units
// before it.
bool appendUtf8(NarrowString& out, const char16_t* units, int count);

// Replaces `out` with the UTF-16 form of the `count` UTF-8 bytes at `bytes`. False when
// they are not well-formed UTF-8 (a stray or missing continuation byte, an overlong
// form, a surrogate, a code point past U+10FFFF).
bool utf8ToUtf16(const char* bytes, int count, WideString& out);

}  // namespace oru
