// The runtimes that installers registered (Oracle's JavaSoft keys, other vendors' keys)
// and the `java` command on PATH, compared by version.
#include "jvm/installed_runtimes.h"

#include <cstring>

#include "jvm/runtime_release.h"
#include "platform/environment.h"
#include "platform/environment_expansion.h"
#include "platform/path_style.h"
#include "platform/runtime_layout.h"
#include "platform/trace.h"

namespace oru {

namespace {

// Where an installer records a runtime's home: below SOFTWARE\<key>, one subkey per
// installed version (its name gives the version), then `below` to the key whose value
// `value` holds the home (kBelow and kValues). The layouts, as the installers write them:
// - Oracle, Java 9 and later: JavaSoft\JDK\<version> and JavaSoft\JRE\<version>, value
//   JavaHome (docs.oracle.com/javase/9/install/installation-jdk-and-jre-microsoft-windows-
//   platforms.htm, "Windows Registry Key Changes"); Amazon Corretto 11 and later writes
//   JavaSoft\JDK the same way (github.com/corretto/corretto-11/issues/301). Older
//   installers write "Java Development Kit" and "Java Runtime Environment" subkeys alike
//   (Corretto 8: github.com/corretto/corretto-8/issues/14).
// - The Eclipse Adoptium installer (github.com/adoptium/installer, wix/, its CONFIGURATION.md),
//   which Microsoft's build of OpenJDK and IBM Semeru reuse under their own names:
//   <vendor>\JDK|JRE\<version>\<jvm>\MSI, value Path; <jvm> is hotspot, or openj9 for
//   Semeru (and AdoptOpenJDK's OpenJ9 builds).
// - Azul Zulu and BellSoft Liberica: Azul Systems\Zulu\zulu-<major> (Zulu 32-bit\... for
//   a 32-bit build) and BellSoft\Liberica\jdk-<major> or jre-<major>, value
//   InstallationPath (as found and read by github.com/PrismLauncher/PrismLauncher,
//   launcher/java/JavaUtils.cpp, and listed by github.com/DigitalMediaServer/NsJavaLocator).
const char* const kBelow[] = {"", "\\hotspot\\MSI", "\\openj9\\MSI"};
const char* const kValues[] = {"JavaHome", "Path", "InstallationPath"};

struct RegistryLayout {
    char letter;
    char below;  // index into kBelow
    char value;  // index into kValues
    const char* key;
};

const RegistryLayout kLayouts[] = {
    {'o', 0, 0, "JavaSoft\\JDK"},
    {'o', 0, 0, "JavaSoft\\JRE"},
    {'o', 0, 0, "JavaSoft\\Java Development Kit"},
    {'o', 0, 0, "JavaSoft\\Java Runtime Environment"},
    {'v', 1, 1, "Eclipse Adoptium\\JDK"},
    {'v', 1, 1, "Eclipse Adoptium\\JRE"},
    {'v', 1, 1, "Eclipse Foundation\\JDK"},
    {'v', 1, 1, "AdoptOpenJDK\\JDK"},
    {'v', 1, 1, "AdoptOpenJDK\\JRE"},
    {'v', 2, 1, "AdoptOpenJDK\\JDK"},
    {'v', 1, 1, "Microsoft\\JDK"},
    {'v', 2, 1, "Semeru\\JDK"},
    {'v', 2, 1, "Semeru\\JRE"},
    {'v', 0, 2, "Azul Systems\\Zulu"},
    {'v', 0, 2, "Azul Systems\\Zulu 32-bit"},
    {'v', 0, 2, "BellSoft\\Liberica"},
};

// Versions count in the tens at most: a number beyond this is no version but a lure, which
// would otherwise beat every real one.
constexpr int kLargestVersionNumber = 999999999;

bool isVersionSeparator(char c) { return c == '.' || c == '_' || c == '+' || c == '-'; }

bool isLower(const int a[4], const int b[4]) {
    for (int i = 0; i < 4; ++i)
        if (a[i] != b[i]) return a[i] < b[i];
    return false;
}

}  // namespace

bool parseRuntimeVersion(const char* text, int out[4]) {
    int numbers[5] = {};
    int count = 0;
    std::memset(out, 0, 4 * sizeof *out);
    while (*text && (*text < '0' || *text > '9')) ++text;
    while (count < 5 && *text >= '0' && *text <= '9') {
        for (; *text >= '0' && *text <= '9'; ++text) {
            if (numbers[count] > kLargestVersionNumber / 10) return false;
            numbers[count] = numbers[count] * 10 + (*text - '0');
        }
        ++count;
        if (!isVersionSeparator(*text)) break;
        ++text;
    }
    const int shift = numbers[0] == 1 && count > 1 ? 1 : 0;
    for (int i = 0; i < 4; ++i) out[i] = numbers[i + shift];
    return true;
}

InstalledRuntimes::InstalledRuntimes(const RuntimeSearch& search, const char* minimum)
    : search_(search) {
    parseRuntimeVersion(minimum, minimum_);
}

bool InstalledRuntimes::isSource(char letter) {
    return letter == 'o' || letter == 'v' || letter == 'p';
}

void InstalledRuntimes::collect(char letter) {
    if (letter == 'p') {
        collectFromPath();
        return;
    }
    for (int user = 0; user < 2; ++user) {
        const auto root = user ? platform::RegistryRoot::kUser : platform::RegistryRoot::kMachine;
        const char* rootName = user ? "HKCU" : "HKLM";
        for (const RegistryLayout& layout : kLayouts) {
            if (layout.letter != letter) continue;
            const NarrowString base = NarrowString("SOFTWARE\\") + layout.key;
            NarrowString name;
            for (int i = 0; search_.registry.subkeyName(root, base.c_str(), i, name); ++i) {
                NarrowString key = base + "\\" + name + kBelow[static_cast<int>(layout.below)];
                const char* value = kValues[static_cast<int>(layout.value)];
                NarrowString home;
                if (!search_.registry.readValue(root, key.c_str(), value, home)) continue;
                trace::event("runtime", "%c: %s\\%s %s=%s", letter, rootName, key.c_str(), value,
                             home.c_str());
                // A value of the expandable kind may name %ProgramFiles% and the like.
                offer(name.c_str(), expandEnvironment(home.c_str()), name.c_str());
            }
        }
    }
}

// PATH names the directories of commands; a runtime's `java` lies in its home's bin.
void InstalledRuntimes::collectFromPath() {
    NarrowString path;
    platform::environmentValue("PATH", path);
    const char separator = platform::pathStyle().listSeparator;
    path += separator;  // so that every element ends with one
    NarrowString directory;
    bool quoted = false;
    for (const char* c = path.c_str(); *c; ++c) {
        // Windows takes an element in quotes, as it must when it holds the separator.
        if (*c == '"') {
            quoted = !quoted;
            continue;
        }
        if (*c != separator || quoted) {
            directory += *c;
            continue;
        }
        NarrowString home;
        // An empty or relative element names the current directory or a folder below it:
        // no runtime is taken from wherever the launcher happens to be started.
        if (!directory.empty() && !platform::isFullyQualifiedPath(directory.c_str())) {
            trace::event("runtime", "p: PATH element %s is relative: skipped", directory.c_str());
        } else if (!directory.empty() && platform::runtimeHomeOfCommand(directory, home)) {
            NarrowString version = releaseValue(readReleaseFile(home), "JAVA_VERSION");
            trace::event("runtime", "p: %s, release %s", home.c_str(), version.c_str());
            offer(directory.c_str(), home, version.c_str());
        }
        directory.clear();
    }
}

void InstalledRuntimes::offer(const char* source, const NarrowString& home, const char* version) {
    int numbers[4];
    parseRuntimeVersion(version, numbers);
    if (isLower(numbers, minimum_)) {
        trace::event("runtime", "%s: version %d.%d.%d is below minjre: passed over", source,
                     numbers[0], numbers[1], numbers[2]);
        return;
    }
    if (!best_.empty() && !isLower(bestVersion_, numbers)) return;
    NarrowString library = findRuntimeBelowHome(home, search_);
    if (library.empty()) return;
    best_ = library;
    std::memcpy(bestVersion_, numbers, sizeof numbers);
}

}  // namespace oru
