// Expanding %NAME% references to environment variables in configured text.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// `text` with %NAME% references replaced by environment values; undefined ones stay.
// A text whose expansion would pass 1 MiB is returned as written.
NarrowString expandEnvironment(const char* text);

}  // namespace oru
