// Threads and events on Windows: _beginthread, thread priorities and event objects.
// Only Windows code belongs in this file.
#include "platform/thread.h"

#include <process.h>

#include "platform/win32/windows_api.h"

namespace oru::platform {

// _beginthread rather than CreateThread: the thread may use the C runtime, which then
// sets itself up and cleans up for it.
bool startThread(void (*body)(void*), void* argument) {
    return _beginthread(body, 0, argument) != static_cast<uintptr_t>(-1);
}

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
