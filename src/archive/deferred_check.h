// DeferredCheck: the whole-entry check of a nested archive read in place, made on first use.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/lock.h"

namespace oru {

class CZipReader;

// A stored nested archive read where its bytes lie is not checked when the tree opens,
// since that would read every byte of every nested archive at each start. Its checksum
// and descriptor are checked instead the first time the archive is about to answer a
// query, through the reader of the archive that holds it, and the outcome is kept.
// Until armed, the check passes.
class DeferredCheck {
public:
    // Checks entry `index` of `reader` when first asked, holding `lock` (the lock that
    // serialises that reader's extractions). Both must outlive this object.
    void arm(CZipReader& reader, platform::Lock& lock, uint32_t index);
    // True when nothing is armed or the entry passed the checks extraction makes. Safe
    // from any thread; one thread does the check, the others wait for its outcome.
    bool passed();

private:
    enum State : uint8_t { kPending, kPassed, kFailed };

    std::atomic<uint8_t> state_{kPassed};
    CZipReader* reader_ = nullptr;
    platform::Lock* lock_ = nullptr;
    uint32_t index_ = 0;
};

}  // namespace oru
