// Shared libraries on Linux: dlopen, dlsym and dlclose.
// Only Linux code belongs in this file.
#include "platform/library.h"

#include <dlfcn.h>

namespace oru::platform {

LibraryHandle loadLibrary(const char* path) {
    // dlopen("") would return the main program, whose exports are not the runtime's.
    if (!path || !*path) return nullptr;
    // Global symbols, as the runtime's own launcher loads it: its companion libraries
    // look some of them up in the global scope.
    return dlopen(path, RTLD_NOW | RTLD_GLOBAL);
}

void* librarySymbol(LibraryHandle library, const char* name) {
    return library ? dlsym(library, name) : nullptr;
}

NarrowString lastLoadError() {
    const char* text = dlerror();
    return NarrowString(text ? text : "");
}

void unloadLibrary(LibraryHandle library) {
    if (library) dlclose(library);
}

// Linux shows no dialogs when a load fails.
void suppressLoadErrorDialogs() {}

// The dynamic loader reads LD_LIBRARY_PATH once, when the process starts, and a
// runtime's libjvm.so finds its companions through its own RUNPATH ($ORIGIN), so no
// variable set now would change the outcome of a second dlopen. PATH is left alone,
// since it only matters for the programs the application starts.
bool widenLibrarySearch(const char*) { return false; }

// glibc refuses to dlopen an executable, so System.load of it fails in the Java side's
// static initialisers; the launcher binds the natives with RegisterNatives instead.
bool executableLoadsAsJavaLibrary() { return false; }

}  // namespace oru::platform
