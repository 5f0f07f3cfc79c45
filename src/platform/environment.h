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

// The user's folder for caches, with a trailing separator: $XDG_CACHE_HOME when it is an
// absolute path, else ~/.cache on Linux; %LOCALAPPDATA% on Windows. False when none is set.
bool userCacheFolder(NarrowString& out);

}  // namespace oru::platform
