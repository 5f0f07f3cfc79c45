// Where this platform's Java runtimes keep their virtual-machine library.
#pragma once

#include "support/narrow_string.h"

namespace oru::platform {

// The file name of the virtual-machine library: "jvm.dll" or "libjvm.so".
const char* runtimeLibraryName();

// The directories below a runtime's home that may hold the library (directly or in one
// of their subdirectories), in search order, each empty or ending with a separator;
// the list ends with a null pointer.
const char* const* runtimeLibraryDirectories();

// The home directory of the runtime the system starts by default, with a trailing
// separator; false when the platform has no such notion beyond its registry.
bool systemRuntimeHome(NarrowString& out);

// The home of the runtime whose `java` command ("java.exe" on Windows) lies in
// `directory`, an element of PATH: the directory above the command's own (its links
// resolved first where the platform has them), with a trailing separator. False when
// `directory` holds no such command.
bool runtimeHomeOfCommand(const NarrowString& directory, NarrowString& out);

}  // namespace oru::platform
