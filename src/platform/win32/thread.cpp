// Threads and events on Windows: _beginthread, thread priorities and event objects.
// Only Windows code belongs in this file.
#include "platform/thread.h"

#include <process.h>

#include <new>

#include "platform/win32/windows_api.h"

namespace oru::platform {

namespace {

struct ThreadStart {
    void (*body)(void*);
    void* argument;
};

unsigned __stdcall runThread(void* start) {
    ThreadStart copy = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    copy.body(copy.argument);
    return 0;
}

}  // namespace

// _beginthreadex rather than CreateThread: the thread may use the C runtime, which then
// sets itself up and cleans up for it. The size reserves the stack without committing
// it, as java's own launcher does.
bool startThread(void (*body)(void*), void* argument, size_t stackSize) {
    if (stackSize == 0) return _beginthread(body, 0, argument) != static_cast<uintptr_t>(-1);
    ThreadStart* start = new (std::nothrow) ThreadStart{body, argument};
    if (!start) return false;
    const uintptr_t thread = _beginthreadex(nullptr, static_cast<unsigned>(stackSize), runThread,
                                            start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == 0) {
        delete start;
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    return true;
}

bool threadsBesideRuntimeStart() { return true; }

void lowerThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST); }

void yieldThread() { Sleep(0); }

Event::Event() {
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    handle_ = CreateEventA(&attributes, TRUE, FALSE, nullptr);
}

Event::~Event() {
    if (handle_) CloseHandle(handle_);
}

void Event::set() { SetEvent(handle_); }

bool Event::wait(int milliseconds) {
    return WaitForSingleObject(handle_, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
}

}  // namespace oru::platform
