// The process environment.
#pragma once

#include "support/narrow_string.h"

namespace oru::platform {

// The variable's value; false when it is not set. Names match without ASCII case;
// an empty name is never set.
bool environmentValue(const char* name, NarrowString& out);

// Sets the variable for this process and the libraries it loads later.
bool setEnvironmentValue(const char* name, const char* value);

// Removes the variable from this process's environment.
bool clearEnvironmentValue(const char* name);

}  // namespace oru::platform
