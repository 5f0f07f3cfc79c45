// A library standing in for a Windows Java runtime where binding natives is concerned.
// Its creation entry does what such a runtime does when the Java side loads the
// executable as its native library: it loads the executable named by -Doru.app.path=
// and looks up each of the launcher's natives there by its exported name. It
// writes what it found, one line each, to the file named by ORU_BINDING_REPORT; when
// ORU_STAND_IN_RELEASE names a file, it waits (up to two minutes) until that file
// exists, so that a test can look at the splash meanwhile; then it refuses to start.
// ORU_STAND_IN_UNLOAD holds the process the same way while the library is unloaded.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/library.h"
#include "platform/thread.h"

namespace {

// The names a virtual machine of this machine type looks up: stdcall-decorated on
// i686, plain on x86_64.
#if ORU_DECORATED_NATIVES
#define ORU_NATIVE(name, bytes) "_Java_com_vostrand_oru_" name "@" #bytes
#else
#define ORU_NATIVE(name, bytes) "Java_com_vostrand_oru_" name
#endif
const char* const kNatives[] = {
    ORU_NATIVE("KestrunClassLoader_findClass", 12),
    ORU_NATIVE("KestrunClassLoader_findResource", 12),
    ORU_NATIVE("KestrunClassLoader_findResources", 12),
    ORU_NATIVE("Handler_loadResourceData", 12),
    ORU_NATIVE("Handler_loadResourceInfo", 12),
    ORU_NATIVE("Handler_openResourceStream", 12),
    ORU_NATIVE("Handler_readResourceStream", 28),
    ORU_NATIVE("Handler_closeResourceStream", 16),
    ORU_NATIVE("SplashScreen_nativeGetSplashScreen", 8),
    ORU_NATIVE("SplashScreen_nativeAutoClose", 12),
    ORU_NATIVE("SplashScreen_nativeClose", 8),
};

const char* applicationPath(const JavaVMInitArgs* init) {
    const char prefix[] = "-Doru.app.path=";
    for (jint i = 0; i < init->nOptions; ++i) {
        const char* option = init->options[i].optionString;
        if (option && std::strncmp(option, prefix, sizeof prefix - 1) == 0)
            return option + sizeof prefix - 1;
    }
    return nullptr;
}

void report(const char* path) {
    const char* reportPath = std::getenv("ORU_BINDING_REPORT");
    std::FILE* out = reportPath ? std::fopen(reportPath, "w") : nullptr;
    if (!out) return;
    oru::platform::LibraryHandle executable = oru::platform::loadLibrary(path);
    std::fprintf(out, "%s %s\n", executable ? "loaded" : "cannot-load", path ? path : "-");
    for (const char* name : kNatives) {
        const bool found = oru::platform::librarySymbol(executable, name) != nullptr;
        std::fprintf(out, "%s %s\n", found ? "found" : "missing", name);
    }
    oru::platform::unloadLibrary(executable);
    std::fclose(out);
}

bool fileExists(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Waits (up to two minutes) until the file named by the environment variable `variable`
// exists; at once when the variable is not set.
void waitForFile(const char* variable) {
    const char* path = std::getenv(variable);
    if (!path) return;
    oru::platform::Event never;
    for (int i = 0; i < 1200 && !fileExists(path); ++i) never.wait(100);
}

// The launcher unloads the runtime after its message box: holding the unload keeps the
// process alive, so that a test sees what the splash does between the box and the exit.
struct UnloadHold {
    ~UnloadHold() { waitForFile("ORU_STAND_IN_UNLOAD"); }
} unloadHold;

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    report(applicationPath(static_cast<const JavaVMInitArgs*>(args)));
    waitForFile("ORU_STAND_IN_RELEASE");
    *vm = nullptr;
    *env = nullptr;
    return JNI_ERR;
}
