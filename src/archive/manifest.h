// Reading attributes out of a jar manifest's text (META-INF/MANIFEST.MF).
#pragma once

#include "support/narrow_string.h"

namespace oru {

// The value of attribute `name` (any ASCII case) in the manifest `text`: in the section
// whose "Name" is `section`, or in the main section when `section` is null. Continuation
// lines (starting with a space) are joined. False, `value` untouched, when it is absent.
bool manifestAttribute(const NarrowString& text, const char* section, const char* name,
                       NarrowString& value);

}  // namespace oru
