// The configuration's values that runtime discovery and the class path read, looked up
// for them.
#pragma once

#include "jvm/class_path.h"
#include "jvm/runtime_discovery.h"
#include "launcher/config_text.h"

namespace oru {

// The directories recorded when the configuration loaded.
LaunchFolders launchFolders();

// "jre_order", "minjre" and "jvmdll", looked up in that order, and the folders.
RuntimeSettings runtimeSettings(const LauncherConfig& config);

// The executable's path, the "classpath" values, the expanded "libs" values and the folders.
ClassPathSettings classPathSettings(const LauncherConfig& config);

}  // namespace oru
