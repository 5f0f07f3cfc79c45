// The bridge's process-wide state: the root archive store and its one-time open.
#pragma once

#include <jni.h>

#include "archive/embedded_archive.h"
#include "platform/lock.h"

namespace oru {

// The store over the archive appended to the running executable (nesting depth 2).
// It lives until the process ends and is never destroyed: daemon Java threads may still
// be inside a native while the process exits.
EmbeddedArchive& rootArchive();

// Guards the one-time open of the root store and the creation of the shared URL handler.
platform::Lock& bridgeLock();

// Opens the root store over the running executable on the first call; later calls
// return at once (`env` may be null before the virtual machine exists). The open is
// attempted once per process, whatever its outcome. The executable's path is the one the
// launcher handed over (useExecutablePath), or the platform's when the executable runs
// as a library of some other process. The running Java's release, asked through `env`,
// decides which versions of multi-release jars the store serves.
void ensureArchiveOpen(JNIEnv* env);

// The manifest of the application jar ("t.jar") in the executable's archive, or without
// one the archive's own (the application's jars laid out at its root), read before
// any virtual machine exists, for a runtime of feature version `release` (which decides
// the versions its multi-release jars serve); kept by the store, null when there is none.
const JarManifest* applicationManifest(int release);

// Starts the check of every byte of the application jar ("t.jar") on a thread of its
// own, to run while the virtual machine starts (or, where the platform allows no such
// thread then, while the launcher prepares main).
void checkApplicationJarAside();

// The full path of the running executable (ANSI code page).
NarrowString runningExecutablePath();

// The executable's path as the launcher found it (which may differ from the platform's
// answer: a short form where the long one does not fit the code page). Called once,
// before the virtual machine is created.
void useExecutablePath(const NarrowString& path);

}  // namespace oru
