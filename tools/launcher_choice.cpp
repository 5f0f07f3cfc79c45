// Choosing the installed launcher for a target, and the jars of a library folder.
#include "launcher_choice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace oru::tools {

namespace fs = std::filesystem;

namespace {

struct Target {
    const char* name;
    const char* launcherFile;
};

const Target kTargets[] = {
    {"windows-x86", "oru-launcher-windows-x86.exe"},
    {"windows-x64", "oru-launcher-windows-x64.exe"},
    {"linux-x64", "oru-launcher-linux-x64"},
};

bool endsWithExe(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".exe";
}

std::string targetNames() {
    std::string names;
    for (const Target& target : kTargets)
        names += (names.empty() ? "" : ", ") + std::string(target.name);
    return names;
}

// The folder oru-pack itself lies in, so that an installation moved as a whole still
// finds its launchers.
fs::path ownFolder() {
    NarrowString self;
    if (!platform::executablePath(self)) return {};
    return fs::path(self.c_str()).parent_path();
}

}  // namespace

bool chooseLauncher(const std::string& target, const std::string& outputPath,
                    std::string& launcherPath, std::string& error) {
    const std::string name = !target.empty()           ? target
                             : endsWithExe(outputPath) ? "windows-x86"
                                                       : ORU_HOST_TARGET;
    const Target* chosen = nullptr;
    for (const Target& candidate : kTargets)
        if (name == candidate.name) chosen = &candidate;
    if (!chosen) {
        error = target.empty()
                    ? "no launcher is made for this machine (" + name + "); give --launcher FILE"
                    : "unknown target " + name + " (known: " + targetNames() + ")";
        return false;
    }
    const fs::path folder = ownFolder();
    const fs::path installed = folder / ".." / "lib" / "oru" / chosen->launcherFile;
    for (const fs::path& candidate : {installed, folder / chosen->launcherFile}) {
        std::error_code ignored;
        if (!folder.empty() && fs::is_regular_file(candidate, ignored)) {
            launcherPath = candidate.lexically_normal().string();
            return true;
        }
    }
    error = "no launcher for " + name + " is installed (" + installed.lexically_normal().string() +
            "); give --launcher FILE";
    return false;
}

}  // namespace oru::tools
