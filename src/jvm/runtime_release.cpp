// A runtime's "release" file: its version and modules, known without starting it.
#include "jvm/runtime_release.h"

#include <cstring>

#include "jvm/installed_runtimes.h"
#include "platform/files.h"
#include "platform/path_style.h"
#include "platform/trace.h"

namespace oru {

namespace {

// jre/lib/amd64/server/ below a Java 8 JDK's home is the deepest layout: five folders.
constexpr int kFoldersAbove = 5;

// `path` without its last element (and the separator before it); "" when none is left.
NarrowString parentOf(const NarrowString& path) {
    int cut = path.length();
    while (cut > 0 && platform::isDirectorySeparator(path.byteAt(cut - 1))) --cut;
    while (cut > 0 && !platform::isDirectorySeparator(path.byteAt(cut - 1))) --cut;
    return path.left(cut);
}

}  // namespace

NarrowString releaseValue(const NarrowString& text, const char* key) {
    const int keyLength = static_cast<int>(std::strlen(key));
    for (const char* line = text.c_str(); *line;) {
        const char* end = line;
        while (*end && *end != '\n' && *end != '\r') ++end;
        if (end - line > keyLength && std::strncmp(line, key, keyLength) == 0 &&
            line[keyLength] == '=') {
            const char* value = line + keyLength + 1;
            const char* valueEnd = end;
            if (*value == '"') ++value;
            if (valueEnd > value && valueEnd[-1] == '"') --valueEnd;
            NarrowString out;
            out.append(value, static_cast<int>(valueEnd - value));
            return out;
        }
        line = *end ? end + 1 : end;
    }
    return NarrowString();
}

NarrowString readReleaseFile(const NarrowString& home) {
    NarrowString text;
    platform::appendFileContents((home + "release").c_str(), text, 64 * 1024);
    return text;
}

RuntimeRelease readRuntimeRelease(const NarrowString& libraryPath) {
    RuntimeRelease release;
    NarrowString folder = parentOf(libraryPath);
    for (int level = 0; level < kFoldersAbove && !folder.empty(); ++level) {
        const NarrowString text = readReleaseFile(folder);
        const NarrowString version = releaseValue(text, "JAVA_VERSION");
        if (!version.empty()) {
            int numbers[4];
            parseRuntimeVersion(version.c_str(), numbers);
            release.feature = numbers[0];
            release.modules = releaseValue(text, "MODULES");
            trace::event("runtime", "%srelease: JAVA_VERSION %s, feature version %d",
                         folder.c_str(), version.c_str(), release.feature);
            return release;
        }
        folder = parentOf(folder);
    }
    trace::event("runtime", "no release file above %s: feature version unknown",
                 libraryPath.c_str());
    return release;
}

bool releaseHasModule(const RuntimeRelease& release, const NarrowString& module) {
    if (release.modules.empty()) return true;
    const char* names = release.modules.c_str();
    const int length = module.length();
    for (const char* at = names; (at = std::strstr(at, module.c_str())) != nullptr; ++at) {
        const bool starts = at == names || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) return true;
    }
    return false;
}

}  // namespace oru
