// Class path assembly: what it is made of, and the path it makes.
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

}  // namespace oru
