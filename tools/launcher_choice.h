// Which launcher oru-pack packs into: a named target's installed launcher, or the default.
#pragma once

#include <string>
#include <vector>

namespace oru::tools {

// The launcher for the target `target` ("windows-x86", "windows-x64", "linux-x64") as
// installed beside oru-pack: in `<its folder>/../lib/oru/`, else in its own folder. With
// an empty `target`, an output named `*.exe` takes "windows-x86" and any other the
// target of the machine oru-pack runs on. False with a one-line message in `error`.
bool chooseLauncher(const std::string& target, const std::string& outputPath,
                    std::string& launcherPath, std::string& error);

}  // namespace oru::tools
