// The "minjre" check: major.minor of the machine's version against the requirement.
#pragma once

#include "jvm/launch_result.h"

namespace oru {

// The launch result of comparing the machine's version text with "minjre": 0 or 6,
// with the four numbers written to `numbers` (have major, have minor, need major, need minor).
LaunchResult checkVersion(const char* haveVersion, const char* needVersion, int numbers[4]);

}  // namespace oru
