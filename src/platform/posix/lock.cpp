// Lock on Linux: a default pthread mutex placed in the Lock's storage.
// Only Linux code belongs in this file.
#include "platform/lock.h"

#include <pthread.h>

#include <new>

namespace oru::platform {

namespace {

pthread_mutex_t* mutexIn(unsigned char* storage) {
    return std::launder(reinterpret_cast<pthread_mutex_t*>(storage));
}

}  // namespace

Lock::Lock() {
    static_assert(sizeof(pthread_mutex_t) <= sizeof storage_, "mutex does not fit");
    static_assert(alignof(pthread_mutex_t) <= 16, "mutex alignment");
    pthread_mutex_init(new (storage_) pthread_mutex_t, nullptr);
}

Lock::~Lock() { pthread_mutex_destroy(mutexIn(storage_)); }

void Lock::enter() { pthread_mutex_lock(mutexIn(storage_)); }

void Lock::leave() { pthread_mutex_unlock(mutexIn(storage_)); }

}  // namespace oru::platform
