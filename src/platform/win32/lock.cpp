// Lock on Windows: a critical section placed in the Lock's storage.
// Only Windows code belongs in this file.
#include "platform/lock.h"

#include <new>

#include "platform/win32/windows_api.h"

namespace oru::platform {

namespace {

CRITICAL_SECTION* sectionIn(unsigned char* storage) {
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

}  // namespace

Lock::Lock() {
    static_assert(sizeof(CRITICAL_SECTION) <= sizeof storage_, "critical section does not fit");
    static_assert(alignof(CRITICAL_SECTION) <= 16, "critical section alignment");
    InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}

Lock::~Lock() { DeleteCriticalSection(sectionIn(storage_)); }

void Lock::enter() { EnterCriticalSection(sectionIn(storage_)); }

void Lock::leave() { LeaveCriticalSection(sectionIn(storage_)); }

}  // namespace oru::platform
