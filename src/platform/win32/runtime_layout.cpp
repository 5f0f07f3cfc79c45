// Java runtime layouts on Windows.
// Only Windows code belongs in this file.
#include "platform/runtime_layout.h"

#include "platform/path_style.h"
#include "platform/win32/windows_api.h"

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

bool runtimeHomeOfCommand(const NarrowString& directory, NarrowString& out) {
    out = "";
    int end = directory.length();
    while (end > 0 && isDirectorySeparator(directory.byteAt(end - 1))) --end;
    NarrowString command = directory.left(end) + "\\java.exe";
    DWORD attributes = GetFileAttributesA(command.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    while (end > 0 && !isDirectorySeparator(directory.byteAt(end - 1))) --end;
    if (end == 0) return false;  // a relative "bin": no home above it
    out = directory.left(end);
    return true;
}

}  // namespace oru::platform
