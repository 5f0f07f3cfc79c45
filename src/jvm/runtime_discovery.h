// Runtime discovery's sources and the path rules that class path assembly shares.
#pragma once

#include "platform/registry.h"
#include "support/narrow_string.h"

namespace oru {

// The registry key of the `s` source and of the `i` source, below HKEY_LOCAL_MACHINE.
extern const char kJavaSoftRuntimeKey[];
extern const char kIbmRuntimeKey[];

// What discovery consults besides the configuration, the environment and the files:
// the registry as the launcher sees it, and the pointer width (32 or 64) of the runtime
// libraries the launcher can load. Tests stand in for both.
struct RuntimeSearch {
    const platform::Registry& registry;
    int launcherBits;
};

// The running launcher's own: the system's registry and its own pointer width.
RuntimeSearch systemRuntimeSearch();

// The folders that relative paths resolve against, each with a trailing separator: the
// executable's, and the current directory at start-up ("" when it is unknown). Referred
// to, not copied: the launcher keeps them for the whole process.
struct LaunchFolders {
    const NarrowString& executable;
    const NarrowString& startup;
};

// What the configuration says about the runtime, as written: "jre_order", "minjre" and
// "jvmdll" (its %NAME% references still in it), each "" when not set.
struct RuntimeSettings {
    NarrowString order;
    NarrowString minimumVersion;
    NarrowString configuredLibrary;
    LaunchFolders folders;
};

// The runtime library the search order finds, or "" when no source has one.
NarrowString findRuntimeLibrary(const RuntimeSettings& settings, const RuntimeSearch& search);

// The `e` source: the first virtual-machine library below JRE_HOME, then below
// JAVA_HOME; "" when neither has one.
NarrowString findRuntimeInHomes(const RuntimeSearch& search = systemRuntimeSearch());

// The first virtual-machine library below `home` that the launcher can load: for each of
// the platform's library directories, the library directly in it, then in each of its
// subdirectories in listing order. "" when there is none or `home` is empty (or relative:
// no library below it is named in full).
NarrowString findRuntimeBelowHome(const NarrowString& home, const RuntimeSearch& search);

// The `s` and `i` sources: the "RuntimeLib" value of the subkey of `keyPath` that its
// "CurrentVersion" names, when that file exists; "" otherwise.
NarrowString findRuntimeInRegistry(const char* keyPath, const RuntimeSearch& search);

// Whether `path` is fully qualified, exists (traced as `what`) and is a library the
// launcher can load: a relative path, a library built for another pointer width and a
// file that is no complete library for this machine are passed over with a trace line.
bool isUsableRuntime(const char* what, const NarrowString& path, const RuntimeSearch& search);

// What a library file is to the loader. `found`: it opened as a regular file. `bits`: the
// pointer width that its PE machine field or ELF class claims (32 or 64; 0 when the file
// is not of that format, names a machine the launcher does not know, or cannot be read).
// `loadable`: its headers are those of a complete library for that machine. PE: the
// signature, the optional header's magic for that width, and the section table and every
// section's data inside the file; ELF: little-endian, a shared object of a machine of
// that width, and the program headers and every loaded segment inside the file. The
// headers must lie in the first 3 KiB, where linkers put them.
struct LibraryImage {
    bool found = false;
    int bits = 0;
    bool loadable = false;
};
// The file at `path` as a library of this system's format: a PE image on Windows, an
// ELF shared object on Linux (a file of the other is neither: bits 0).
LibraryImage inspectLibrary(const NarrowString& path);

// Class path entries and `libs` folders (not the runtime library, which is code that runs
// as it loads): `path` itself when absolute; else under the executable's directory if it
// exists there, else under the start-up directory if it exists there, else under the
// executable's directory anyway.
NarrowString resolveRelativePath(const NarrowString& path, const LaunchFolders& folders);

}  // namespace oru
