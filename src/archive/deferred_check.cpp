// DeferredCheck: one check under the holder's lock, its outcome published to every thread.
#include "archive/deferred_check.h"

#include "archive/entry_extraction.h"

namespace oru {

void DeferredCheck::arm(CZipReader& reader, platform::Lock& lock, uint32_t index) {
    reader_ = &reader;
    lock_ = &lock;
    index_ = index;
    state_.store(kPending, std::memory_order_release);
}

bool DeferredCheck::passed() {
    uint8_t state = state_.load(std::memory_order_acquire);
    if (state == kPending) {
        platform::LockGuard guard(*lock_);
        state = state_.load(std::memory_order_relaxed);
        if (state == kPending) {
            state = checkEntry(*reader_, index_) ? kPassed : kFailed;
            state_.store(state, std::memory_order_release);
        }
    }
    return state == kPassed;
}

}  // namespace oru
