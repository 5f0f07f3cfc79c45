// Threads and events on Linux: detached pthreads and an event made of a mutex, a
// condition variable and a flag.
// Only Linux code belongs in this file.
#include "platform/thread.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <climits>
#include <new>

namespace oru::platform {

namespace {

struct ThreadStart {
    void (*body)(void*);
    void* argument;
};

void* runThread(void* start) {
    ThreadStart copy = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    copy.body(copy.argument);
    return nullptr;
}

struct EventState {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t condition;
    bool set = false;
};

EventState* stateOf(void* handle) { return static_cast<EventState*>(handle); }

}  // namespace

bool threadsBesideRuntimeStart() { return sizeof(void*) == 8; }

bool startThread(void (*body)(void*), void* argument, size_t stackSize) {
    ThreadStart* start = new (std::nothrow) ThreadStart{body, argument};
    if (!start) return false;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // A size below the system's least is raised to it, as java does.
    if (stackSize > 0 && pthread_attr_setstacksize(&attributes, stackSize) != 0)
        pthread_attr_setstacksize(&attributes, PTHREAD_STACK_MIN);
    pthread_t thread;
    const int made = pthread_create(&thread, &attributes, runThread, start);
    pthread_attr_destroy(&attributes);
    if (made != 0) {
        delete start;
        return false;
    }
    pthread_detach(thread);
    return true;
}

// Linux shows no splash window, the only thread that asks; ordinary threads keep the
// default priority.
void lowerThreadPriority() {}

void yieldThread() { sched_yield(); }

// The condition waits against the monotonic clock, so a change of the wall clock
// neither shortens nor stretches a wait.
Event::Event() : handle_(nullptr) {
    EventState* state = new (std::nothrow) EventState;
    if (!state) return;
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    const int made = pthread_cond_init(&state->condition, &attributes);
    pthread_condattr_destroy(&attributes);
    if (made != 0) {
        delete state;
        return;
    }
    handle_ = state;
}

Event::~Event() {
    if (!handle_) return;
    pthread_cond_destroy(&stateOf(handle_)->condition);
    pthread_mutex_destroy(&stateOf(handle_)->mutex);
    delete stateOf(handle_);
}

void Event::set() {
    EventState* state = stateOf(handle_);
    pthread_mutex_lock(&state->mutex);
    state->set = true;
    pthread_cond_broadcast(&state->condition);
    pthread_mutex_unlock(&state->mutex);
}

bool Event::wait(int milliseconds) {
    EventState* state = stateOf(handle_);
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    pthread_mutex_lock(&state->mutex);
    int waited = 0;
    while (!state->set && waited != ETIMEDOUT)
        waited = pthread_cond_timedwait(&state->condition, &state->mutex, &deadline);
    const bool set = state->set;
    pthread_mutex_unlock(&state->mutex);
    return set;
}

}  // namespace oru::platform
