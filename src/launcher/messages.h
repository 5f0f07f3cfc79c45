// The launcher's user-facing messages: loading them in the user's language and formatting.
#pragma once

#include "support/narrow_string.h"

namespace oru {

// Message ids; 1-9 equal the launch results that report them.
enum MessageId {
    kMessageRuntimeNotFound = 1,
    kMessageRuntimeNotValid = 2,
    kMessageVmInitializeFailed = 3,
    kMessageVmStartFailed = 4,
    kMessageVersionUnreadable = 5,
    kMessageVersionTooLow = 6,
    kMessageMainClassNotFound = 7,
    kMessageMainMethodMissing = 8,
    kMessagePathUnrepresentable = 9,
    kMessageCaption = 10,
};

// Fills `out` (emptied first) with message `id` converted to narrow text; false when the
// string table has no block for it. `language` 0 lets the platform choose the user's.
bool loadMessageText(int id, NarrowString& out, int language = 0);

// printf-style formatting into `out`, replacing its content; at most 1,023 bytes are kept.
void formatMessage(NarrowString& out, const char* format, ...);

}  // namespace oru
