// The one message box that reports a failed launch.
#pragma once

#include "jvm/launch_result.h"

namespace oru {

// Shows the message of `result`, message 6 with the four version numbers filled in.
void reportLaunchFailure(LaunchResult result, int haveMajor, int haveMinor, int needMajor,
                         int needMinor);

}  // namespace oru
