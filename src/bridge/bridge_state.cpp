// The bridge's process-wide state: the root store, its lock and its one-time open.
#include "bridge/bridge_state.h"

#include <atomic>
#include <new>

#include "launcher/launcher_config.h"
#include "launcher/run_launch.h"
#include "platform/paths.h"
#include "support/trace.h"

namespace oru {

namespace {

// Built before main runs and never destroyed (see rootArchive).
EmbeddedArchive& rootStore = *new EmbeddedArchive(2);
platform::Lock& lock = *new platform::Lock;
// Set, under the lock, once the open has been attempted.
std::atomic<bool> opened{false};

NarrowString runningExecutablePath() {
    if (activeConfig) return activeConfig->executablePath();
    NarrowString path;
    platform::executablePath(path);
    return path;
}

}  // namespace

EmbeddedArchive& rootArchive() { return rootStore; }

platform::Lock& bridgeLock() { return lock; }

void ensureArchiveOpen() {
    if (opened.load(std::memory_order_acquire)) return;
    platform::LockGuard guard(lock);
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

}  // namespace oru
