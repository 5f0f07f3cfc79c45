// --runtime-dir: "jvmdll" pointing into a runtime folder shipped beside the executable.
#include "bundled_runtime.h"

#include <cctype>

#include "support/config_key.h"

namespace oru::tools {

namespace {

// The value of a "key value" (or "key=value") line, leading separators skipped.
std::string lineValue(const std::string& line, const std::string& key) {
    const size_t start = line.find_first_not_of(' ') + key.size();
    const size_t value = line.find_first_not_of(" =\t", start);
    return value == std::string::npos ? std::string() : line.substr(value);
}

}  // namespace

bool addBundledRuntime(const std::string& folder, bool windowsLauncher,
                       const std::vector<std::string>& configuration,
                       std::vector<std::string>& lines, std::string& error) {
    for (const std::string& line : configuration) {
        const bool setsLibrary = lineHasKey(line, "jvmdll");
        // The default search order begins with "jvmdll"; one the user gives must as well,
        // or a runtime on the machine would win over the one shipped.
        const bool triesLibraryLater =
            lineHasKey(line, "jre_order") &&
            std::tolower(static_cast<unsigned char>(lineValue(line, "jre_order")[0])) != 'c';
        if (setsLibrary || triesLibraryLater) {
            error = "--runtime-dir and --config \"" + line + "\" both choose the runtime";
            return false;
        }
    }
    // A jlink image of a 64-bit JDK (and of Debian's and most 32-bit ones) has its server
    // virtual machine here.
    lines.push_back(windowsLauncher ? "jvmdll " + folder + "\\bin\\server\\jvm.dll"
                                    : "jvmdll " + folder + "/lib/server/libjvm.so");
    return true;
}

}  // namespace oru::tools
