// The text of "oru:" URLs: made from entry names, and read back into the names they name.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// The text of the "oru:" URL of `composedName` (its names in UTF-8): "/" between
// folders, and every byte a URI does not allow, with "%" and "+", as "%XX".
NarrowString resourceUrlText(const NarrowString& composedName);

// `name` with "." and ".." segments after its last "!" folded away ("a\..\b" gives "b");
// unchanged when it has none.
NarrowString foldDotSegments(const NarrowString& name);

// The names that `text`, a URL's text after "oru:" in UTF-8, may stand for, in the order
// they are tried; returns how many (1 or 2) were put in `names`. A text that
// resourceUrlText could have written (every "%" followed by two hexadecimal digits,
// nothing else that it escapes) means its decoded, folded name first, then its literal
// text. A text in an older form (backslashes, characters left unescaped) means its
// literal text first, then its decoded ("+" as a space, as such texts were read),
// folded name. A malformed escape, or escapes that do not decode to UTF-8, leave the
// literal text alone.
int resourceUrlNames(const NarrowString& text, NarrowString names[2]);

}  // namespace oru
