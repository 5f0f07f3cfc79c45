// Java runtime layouts on Windows.
// Only Windows code belongs in this file.
#include "platform/runtime_layout.h"

namespace oru::platform {

const char* runtimeLibraryName() { return "jvm.dll"; }

const char* const* runtimeLibraryDirectories() {
    static const char* const directories[] = {"", "bin\\", "jre\\bin\\", "..\\jre\\bin\\", nullptr};
    return directories;
}

// The runtime Windows starts by default is the registered one, which the registry
// sources find; there is nothing more to offer here.
bool systemRuntimeHome(NarrowString& out) {
    out = "";
    return false;
}

}  // namespace oru::platform
