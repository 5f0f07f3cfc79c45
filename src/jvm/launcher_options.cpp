// Options of the launcher's own: native access, and the jar manifest's module options.
#include "jvm/launcher_options.h"

#include <cstring>

#include "archive/manifest.h"
#include "platform/trace.h"

namespace oru {

namespace {

constexpr int kNativeAccessSince = 17;
constexpr int kManifestNativeAccessSince = 22;

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool namesNativeAccess(const StringList& options) {
    for (int i = 0; i < options.count(); ++i)
        if (startsWith(options.at(i), "--enable-native-access") ||
            startsWith(options.at(i), "--illegal-native-access"))
            return true;
    return false;
}

bool isSpace(char c) { return c == ' ' || c == '\t'; }

// One option `prefix`M/P=ALL-UNNAMED per "M/P" word of `pairs`; words that are not one
// module and one package are skipped, as java -jar skips them.
void addModuleOptions(StringList& out, const char* prefix, const NarrowString& pairs,
                      const RuntimeRelease& release) {
    for (const char* at = pairs.c_str(); *at;) {
        while (isSpace(*at)) ++at;
        const char* end = at;
        while (*end && !isSpace(*end)) ++end;
        NarrowString word;
        word.append(at, static_cast<int>(end - at));
        at = end;
        const char* slash = std::strchr(word.c_str(), '/');
        if (!slash || slash == word.c_str() || !slash[1] || std::strchr(slash + 1, '/')) continue;
        const NarrowString module = word.left(static_cast<int>(slash - word.c_str()));
        if (!releaseHasModule(release, module)) {
            trace::event("vm", "manifest: %s%s left out: the runtime has no module %s", prefix,
                         word.c_str(), module.c_str());
            continue;
        }
        out.add(NarrowString(prefix) + word + "=ALL-UNNAMED");
    }
}

NarrowString trimmed(const NarrowString& text) {
    int begin = 0;
    int end = text.length();
    while (begin < end && isSpace(text.byteAt(begin))) ++begin;
    while (end > begin && isSpace(text.byteAt(end - 1))) --end;
    return NarrowString(text.c_str() + begin, end - begin);
}

}  // namespace

JarLaunchAttributes jarLaunchAttributes(const JarManifest* manifest) {
    JarLaunchAttributes jar;
    // java -jar does not start a jar whose manifest it refuses; this one only adds nothing.
    if (!manifest || !manifest->valid()) return jar;
    NarrowString* const values[] = {&jar.addOpens, &jar.addExports, &jar.enableNativeAccess};
    const char* const names[] = {"Add-Opens", "Add-Exports", "Enable-Native-Access"};
    for (int i = 0; i < 3; ++i) {
        ManifestValue value;
        if (manifest->find(nullptr, names[i], value))
            *values[i] = NarrowString(value.bytes, static_cast<int>(value.length));
    }
    return jar;
}

StringList launcherVmOptions(const RuntimeRelease& release, const StringList& userOptions,
                             const JarLaunchAttributes& jar) {
    StringList options;
    const bool jarGrants = release.feature >= kManifestNativeAccessSince &&
                           trimmed(jar.enableNativeAccess) == "ALL-UNNAMED";
    if (release.feature >= kNativeAccessSince && (jarGrants || !namesNativeAccess(userOptions)))
        options.add("--enable-native-access=ALL-UNNAMED");
    if (release.feature >= kModulesSince) {
        addModuleOptions(options, "--add-exports=", jar.addExports, release);
        addModuleOptions(options, "--add-opens=", jar.addOpens, release);
    }
    return options;
}

}  // namespace oru
