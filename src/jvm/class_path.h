// Class path assembly: what it is made of, and its building blocks.
#pragma once

#include "jvm/runtime_discovery.h"
#include "support/narrow_string.h"
#include "support/string_list.h"

namespace oru {

// What the class path is made of besides the environment: the executable's path, the
// "classpath" values as written, and the "libs" directories with their %NAME% references
// expanded, in the configuration's order.
struct ClassPathSettings {
    NarrowString executablePath;
    StringList configured;
    StringList libraries;
    LaunchFolders folders;
};

// The class path: the executable, the configured elements, CLASSPATH and CLASS_PATH, then
// the archives below the library directories.
NarrowString buildClassPath(const ClassPathSettings& settings);

// Appends the elements of one "classpath" value to `path`: split at the platform's list
// separator, empty segments dropped, each segment expanded and then resolved.
void appendClassPathValue(NarrowString& path, const char* value, const LaunchFolders& folders);

// Appends every ".jar" and ".zip" file below `directory` to `path`, depth first in
// listing order, each with the list separator in front. A directory that is already
// being scanned further up (a link back to a parent) is not entered again.
void collectArchives(const NarrowString& directory, NarrowString& path);

}  // namespace oru
