// The bridge's process-wide state: the root store, its lock and its one-time open.
#include "bridge/bridge_state.h"

#include <atomic>
#include <new>

#include "jvm/jni_support.h"
#include "platform/paths.h"
#include "platform/trace.h"

namespace oru {

namespace {

// Built before main runs and never destroyed (see rootArchive).
EmbeddedArchive& rootStore = *new EmbeddedArchive(2);
platform::Lock& lock = *new platform::Lock;
// Set, under the lock, once the open has been attempted, and once the running Java's
// release is known.
std::atomic<bool> opened{false};
std::atomic<bool> releaseKnown{false};
// The path the launcher found for itself; empty when the executable runs as a library of
// another process. Written once, before any virtual machine can call a native.
NarrowString& launcherPath = *new NarrowString;

}  // namespace

void useExecutablePath(const NarrowString& path) { launcherPath = path; }

NarrowString runningExecutablePath() {
    if (!launcherPath.empty()) return launcherPath;
    NarrowString path;
    platform::executablePath(path);
    return path;
}

EmbeddedArchive& rootArchive() { return rootStore; }

platform::Lock& bridgeLock() { return lock; }

void ensureArchiveOpen(JNIEnv* env) {
    if (opened.load(std::memory_order_acquire) &&
        (!env || releaseKnown.load(std::memory_order_acquire)))
        return;
    platform::LockGuard guard(lock);
    if (env && !releaseKnown.load(std::memory_order_relaxed)) {
        EmbeddedArchive::setRuntimeRelease(runningFeatureVersion(env));
        releaseKnown.store(true, std::memory_order_release);
    }
    if (opened.load(std::memory_order_relaxed)) return;
    try {
        const NarrowString path = runningExecutablePath();
        trace::event("bridge", "opening the archive of %s", path.c_str());
        rootStore.open(path.c_str());
        trace::event("bridge", "archive: %d entries, %d nested archives", rootStore.entryCount(),
                     rootStore.nestedCount());
    } catch (const std::bad_alloc&) {
        // Not even the path could be copied: the store stays empty, like a failed open.
    }
    opened.store(true, std::memory_order_release);
}

const JarManifest* applicationManifest(int release) {
    EmbeddedArchive::setRuntimeRelease(release);
    ensureArchiveOpen(nullptr);
    // An archive laid out at its root has the application's attributes in its own manifest.
    const JarManifest* nested = rootStore.nestedManifestUnchecked("t.jar");
    return nested ? nested : rootStore.ownManifest();
}

void checkApplicationJarAside() {
    ensureArchiveOpen(nullptr);
    rootStore.checkNestedAside("t.jar");
}

}  // namespace oru
