// Runtime discovery's sources and the path rules that class path assembly shares.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// The registry key of the `s` source and of the `i` source, below HKEY_LOCAL_MACHINE.
extern const char kJavaSoftRuntimeKey[];
extern const char kIbmRuntimeKey[];

// The `e` source: the first virtual-machine library below JRE_HOME, then below
// JAVA_HOME; "" when neither has one.
NarrowString findRuntimeInHomes();

// The first virtual-machine library below `home`: for each of the platform's library
// directories, the library directly in it, then in each of its subdirectories in listing
// order. "" when there is none or `home` is empty.
NarrowString findRuntimeBelowHome(const NarrowString& home);

// The `s` and `i` sources: the "RuntimeLib" value of the subkey of `keyPath` that its
// "CurrentVersion" names, when that file exists; "" otherwise.
NarrowString findRuntimeInRegistry(const char* keyPath);

// The `s` source: the registered runtime, or else the one the system starts by default
// (on Linux, `java` on PATH).
NarrowString findSystemRuntime();

// `path` itself when absolute; else under the executable's directory if it exists there,
// else under the start-up directory if it exists there, else under the executable's
// directory anyway.
NarrowString resolveRelativePath(const NarrowString& path);

}  // namespace oru
