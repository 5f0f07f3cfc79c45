// The runtime search and the class path, with the configuration's values they read looked
// up for them.
#pragma once

#include "jvm/runtime_discovery.h"
#include "launcher/config_text.h"
#include "support/narrow_string.h"

namespace oru {

// The runtime library that `search` finds with the configuration's "jre_order", "minjre"
// and "jvmdll" (looked up in that order) and the recorded directories.
NarrowString findConfiguredRuntimeLibrary(const LauncherConfig& config,
                                          const RuntimeSearch& search = systemRuntimeSearch());

// The class path that the executable's path, the "classpath" values, the expanded "libs"
// values and the recorded directories make.
NarrowString buildConfiguredClassPath(const LauncherConfig& config);

}  // namespace oru
