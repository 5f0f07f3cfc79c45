// The text of "oru:" URLs: made from entry names, and read back into the names they name.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// The text of the "oru:" URL of `composedName` (its names in UTF-8): "/" between
// folders, and every byte a URI does not allow, with "%" and "+", as "%XX".
NarrowString resourceUrlText(const NarrowString& composedName);

// What a URL's text after "oru:" is: one that resourceUrlText could have written (every
// "%" followed by two hexadecimal digits, nothing else that it escapes), one in an older
// form (backslashes, characters left unescaped), or one with a malformed escape.
enum class UrlForm { kWritten, kOlder, kMalformed };

// Decodes `text`, a URL's text after "oru:" in UTF-8, into `decoded`: its "%XX" escapes,
// "+" as a space (as texts of the older forms were read), "." and ".." segments folded;
// says which form `text` has. `decoded` means nothing for a malformed text, and may not
// be UTF-8 (it then names no entry). A written text stands for its decoded name first,
// then its literal text; an older one for its literal text first; a malformed one for
// its literal text alone.
UrlForm decodeUrlText(const NarrowString& text, NarrowString& decoded);

}  // namespace oru
