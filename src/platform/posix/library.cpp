// Shared libraries on Linux: dlopen, dlsym and dlclose.
// Only Linux code belongs in this file.
#include "platform/library.h"

#include <dlfcn.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace oru::platform

namespace {

// Whether `path` names the running executable's own file, through whatever links. The
// executable is named by the link /proc/self/exe, read rather than followed by stat, as
// a user-mode emulator answers it for the program it runs.
bool isRunningExecutable(const char* path) {
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return false;
    self[length] = '\0';
    struct stat file, running;
    return ::stat(path, &file) == 0 && ::stat(self, &running) == 0 &&
           file.st_dev == running.st_dev && file.st_ino == running.st_ino;
}

}  // namespace

// The Java side's static initialisers load the running executable as their native
// library (System.load of "oru.app.path"), as a Windows executable loads. glibc refuses
// to dlopen an executable, and the Java-side classes of archives made by other tools
// do not expect that refusal. The launcher exports this dlopen, which the runtime's
// libraries bind to ahead of the C library's: a load that the system refuses and that
// names the running executable gets the executable's own handle, through which the
// runtime finds the natives among its exported symbols. Everything else goes to the
// system's dlopen unchanged.
extern "C" void* dlopen(const char* file, int mode) noexcept {
    using Open = void* (*)(const char*, int);
    static const Open systemOpen = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "dlopen"));
    if (!systemOpen) return nullptr;
    void* handle = systemOpen(file, mode);
    if (handle || !file || !*file || !isRunningExecutable(file)) return handle;
    return systemOpen(nullptr, mode);
}
