// Threads and events: a detached thread of its own, its priority, and a one-shot signal.
#pragma once

#include <cstddef>

namespace oru::platform {

// Runs body(argument) on a new thread with a stack of `stackSize` bytes (0: the system's
// default); the thread ends when body returns and nobody waits for it. False when no
// thread could be started.
bool startThread(void (*body)(void*), void* argument, size_t stackSize = 0);

// Whether a thread of the launcher's own may run while the Java runtime is being created.
// False for 32-bit x86 Linux, where such a thread made the client VM fail in its first
// stubs (run under qemu, whose 32-bit threads share their TLS segment); the work waits
// there until the runtime runs.
bool threadsBesideRuntimeStart();

// Lowers the calling thread's priority to the lowest that ordinary threads have.
void lowerThreadPriority();

// Gives the rest of the calling thread's time slice to other threads.
void yieldThread();

// A manual-reset event: not signalled at first, unnamed, not inherited by child
// processes. Once set it stays set.
class Event {
public:
    Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event();

    // False when the system could not make the event; it must not be used then.
    bool valid() const { return handle_ != nullptr; }
    void set();
    // Waits until the event is set or `milliseconds` have passed; true when it was set.
    bool wait(int milliseconds);

private:
    void* handle_;
};

}  // namespace oru::platform
