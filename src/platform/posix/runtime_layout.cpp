// Java runtime layouts on Linux, and the system's default runtime: `java` on PATH.
// Only Linux code belongs in this file.
#include "platform/runtime_layout.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/environment.h"
#include "platform/trace.h"

namespace oru::platform {

namespace {

// The architecture directory of JDK 8 and earlier (jre/lib/<arch>/server).
#if defined(__x86_64__)
#define ORU_JDK8_ARCH "amd64"
#elif defined(__i386__)
#define ORU_JDK8_ARCH "i386"
#elif defined(__aarch64__)
#define ORU_JDK8_ARCH "aarch64"
#elif defined(__arm__)
#define ORU_JDK8_ARCH "arm"
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
#define ORU_JDK8_ARCH "ppc64le"
#elif defined(__s390x__)
#define ORU_JDK8_ARCH "s390x"
#else
#define ORU_JDK8_ARCH "unknown"
#endif

bool isExecutableFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, X_OK) == 0;
}

// The parent of `path`'s directory: /home/bin/java gives /home/.
NarrowString grandparent(const char* path) {
    NarrowString text(path);
    for (int cuts = 0; cuts < 2; ++cuts) {
        int slash = text.length() - 1;
        while (slash > 0 && text.byteAt(slash) != '/') --slash;
        text = text.left(slash);
    }
    return text + "/";
}

}  // namespace

const char* runtimeLibraryName() { return "libjvm.so"; }

// JDK 9 and later keep lib/server/libjvm.so; JDK 8 keeps it in jre/lib/<arch>/server
// below a JDK and in lib/<arch>/server below a JRE. The last entry mirrors the
// Windows "..\jre\bin\" for a home that names a JDK's bin directory.
const char* const* runtimeLibraryDirectories() {
    static const char* const directories[] = {
        "",
        "lib/",
        "lib/" ORU_JDK8_ARCH "/",
        "jre/lib/" ORU_JDK8_ARCH "/",
        "../jre/lib/" ORU_JDK8_ARCH "/",
        nullptr,
    };
    return directories;
}

bool runtimeHomeOfCommand(const NarrowString& directory, NarrowString& out) {
    out = "";
    NarrowString candidate = directory + "/java";
    char resolved[PATH_MAX];
    if (!isExecutableFile(candidate.c_str()) || !realpath(candidate.c_str(), resolved))
        return false;
    out = grandparent(resolved);
    return true;
}

// Linux has no registry of runtimes; the one the system starts by default is the
// `java` command found on PATH. Its links (/usr/bin/java -> /etc/alternatives/java ->
// .../bin/java) are resolved, and the directory above its bin directory is the home.
bool systemRuntimeHome(NarrowString& out) {
    out = "";
    NarrowString path;
    if (!environmentValue("PATH", path)) return false;
    const char* text = path.c_str();
    for (const char* start = text; *start;) {
        const char* colon = std::strchr(start, ':');
        int length = colon ? static_cast<int>(colon - start) : static_cast<int>(std::strlen(start));
        // An empty or relative element names the current directory or a folder below it:
        // a launcher takes no runtime from wherever it happens to be started.
        const NarrowString element(start, length);
        if (length > 0 && *start != '/')
            trace::event("runtime", "s: PATH element %s is relative: skipped", element.c_str());
        else if (length > 0 && runtimeHomeOfCommand(element, out))
            return true;
        if (!colon) break;
        start = colon + 1;
    }
    return false;
}

}  // namespace oru::platform
