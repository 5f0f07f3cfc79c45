// What a runtime's "release" file says about it, read before the runtime is loaded.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// The release file of the runtime whose library the search found.
struct RuntimeRelease {
    // The feature version: 8 for "1.8.0_402", 17 for "17.0.9", 25 for "25"; 0 when no
    // release file names one.
    int feature = 0;
    // Its MODULES value, the names of the modules the image holds separated by spaces;
    // "" when the file has none (a Java 8 runtime, or no file).
    NarrowString modules;
};

// The value of `key` in the text of a release file (KEY="value" lines), without its
// quotes; "" when the key is absent.
NarrowString releaseValue(const NarrowString& text, const char* key);

// The release file of the runtime home that `home` names (with a trailing separator).
NarrowString readReleaseFile(const NarrowString& home);

// The release of the runtime that `libraryPath` belongs to: the first "release" file
// with a JAVA_VERSION in the folders above the library, up to the home of a Java 8
// JDK (jre/lib/amd64/server/libjvm.so, jre\bin\server\jvm.dll). Traced.
RuntimeRelease readRuntimeRelease(const NarrowString& libraryPath);

// Whether the release's MODULES lists `module`; true when the list is unknown.
bool releaseHasModule(const RuntimeRelease& release, const NarrowString& module);

}  // namespace oru
