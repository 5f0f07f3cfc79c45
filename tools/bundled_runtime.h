// --runtime-dir: the configuration of a Java runtime shipped in a folder beside the executable.
#pragma once

#include <string>
#include <vector>

namespace oru::tools {

// Appends to `lines` the "jvmdll" line that names the runtime library in the folder
// `folder` beside the executable (relative to it, as the launcher resolves it): the
// layout of a Windows runtime when `windowsLauncher`, of a Linux one otherwise. False
// with a one-line message in `error` when `configuration` already sets "jvmdll", or a
// "jre_order" that does not try "jvmdll" first.
bool addBundledRuntime(const std::string& folder, bool windowsLauncher,
                       const std::vector<std::string>& configuration,
                       std::vector<std::string>& lines, std::string& error);

}  // namespace oru::tools
