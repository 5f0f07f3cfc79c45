// Lock: a mutual-exclusion lock for short critical sections, and its scoped guard.
#pragma once

#include <cstddef>

namespace oru::platform {

// Not recursive. The OS object lives inside the Lock itself, so constructing one
// never allocates and a static Lock is ready before main runs.
class Lock {
public:
    Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock();

    void enter();
    void leave();

private:
    // Large and aligned enough for a CRITICAL_SECTION or a pthread mutex; each
    // backend checks this with a static_assert.
    alignas(16) unsigned char storage_[64];
};

// Holds a Lock from construction to destruction.
class LockGuard {
public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.enter(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
    ~LockGuard() { lock_.leave(); }

private:
    Lock& lock_;
};

}  // namespace oru::platform
