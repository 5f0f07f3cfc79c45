// Class path assembly's building blocks, shared with the tests.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// Appends the elements of one "classpath" value to `path`: split at the platform's list
// separator, empty segments dropped, each segment expanded and then resolved.
void appendClassPathValue(NarrowString& path, const char* value);

// Appends every ".jar" and ".zip" file below `directory` to `path`, depth first in
// listing order, each with the list separator in front. A directory that is already
// being scanned further up (a link back to a parent) is not entered again.
void collectArchives(const NarrowString& directory, NarrowString& path);

}  // namespace oru
