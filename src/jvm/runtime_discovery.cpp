// Runtime discovery: the virtual-machine library from the configuration, the registry
// (the system's runtime on Linux) or the JRE_HOME and JAVA_HOME environment variables.
#include "jvm/runtime_discovery.h"

#include "launcher/launcher_config.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/path_style.h"
#include "platform/registry.h"
#include "platform/runtime_layout.h"
#include "support/trace.h"

namespace oru {

const char kJavaSoftRuntimeKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kIbmRuntimeKey[] = "SOFTWARE\\IBM\\Java2 Runtime Environment";

namespace {

// Whether `path` exists, with the answer traced.
bool lookedAt(const char* what, const NarrowString& path) {
    const bool exists = platform::pathExists(path.c_str());
    trace::event("runtime", "%s %s: %s", what, path.c_str(), exists ? "found" : "not there");
    return exists;
}

bool endsWithSeparator(const NarrowString& path) {
    char last = path.byteAt(path.length() - 1);
    return last == '\\' || last == '/';
}

// The search order: "jre_order" in lower case, or "csie" when it names no source.
NarrowString searchOrder(const LauncherConfig& config) {
    NarrowString order = config.lookupValue("jre_order");
    bool usable = false;
    for (int i = 0; i < order.length(); ++i) {
        char c = order.byteAt(i);
        if (c >= 'A' && c <= 'Z') order.data()[i] = static_cast<char>(c - 'A' + 'a');
        c = order.byteAt(i);
        usable = usable || c == 'c' || c == 's' || c == 'i' || c == 'e';
    }
    return usable ? order : NarrowString("csie");
}

NarrowString findConfiguredRuntime(const LauncherConfig& config) {
    NarrowString configured = expandEnvironment(config.lookupValue("jvmdll").c_str());
    if (configured.empty()) {
        trace::event("runtime", "c: no jvmdll configured");
        return configured;
    }
    NarrowString resolved = resolveRelativePath(configured);
    return lookedAt("c: jvmdll", resolved) ? resolved : NarrowString();
}

// The library directly in `dir`, else in one of its subdirectories (client, server).
NarrowString findRuntimeInDirectory(const NarrowString& dir) {
    const char* library = platform::runtimeLibraryName();
    NarrowString direct = dir + library;
    if (lookedAt("library", direct)) return direct;
    platform::DirectoryListing listing;
    if (!listing.open(dir.c_str())) {
        trace::event("runtime", "directory %s: cannot be listed", dir.c_str());
        return NarrowString();
    }
    for (platform::DirectoryEntry entry; listing.next(entry);) {
        if (!entry.isDirectory || entry.name == "." || entry.name == "..") continue;
        NarrowString candidate = dir + entry.name;
        candidate += platform::pathStyle().directorySeparator;
        candidate += library;
        if (lookedAt("library", candidate)) return candidate;
    }
    return NarrowString();
}

}  // namespace

NarrowString findRuntimeBelowHome(const NarrowString& home) {
    if (home.empty()) return home;
    NarrowString base = home;
    if (!endsWithSeparator(base)) base += platform::pathStyle().directorySeparator;
    for (const char* const* relative = platform::runtimeLibraryDirectories(); *relative;
         ++relative) {
        NarrowString found = findRuntimeInDirectory(base + *relative);
        if (!found.empty()) return found;
    }
    return NarrowString();
}

NarrowString findRuntimeInHomes() {
    for (const char* variable : {"JRE_HOME", "JAVA_HOME"}) {
        NarrowString home;
        if (!platform::environmentValue(variable, home) || home.empty()) {
            trace::event("runtime", "e: %s not set", variable);
            continue;
        }
        trace::event("runtime", "e: %s=%s", variable, home.c_str());
        NarrowString found = findRuntimeBelowHome(home);
        if (!found.empty()) return found;
    }
    return NarrowString();
}

NarrowString findRuntimeInRegistry(const char* keyPath) {
    NarrowString version;
    if (!platform::readMachineValue(keyPath, "CurrentVersion", version)) {
        trace::event("runtime", "registry HKLM\\%s CurrentVersion: not there", keyPath);
        return NarrowString();
    }
    NarrowString versionKey = NarrowString(keyPath) + "\\" + version;
    NarrowString library;
    if (!platform::readMachineValue(versionKey.c_str(), "RuntimeLib", library)) {
        trace::event("runtime", "registry HKLM\\%s RuntimeLib: not there", versionKey.c_str());
        return NarrowString();
    }
    return lookedAt("registry RuntimeLib", library) ? library : NarrowString();
}

// Linux has no registry; there the system's runtime is the `java` on PATH
// (platform::systemRuntimeHome), searched like a runtime home. Windows offers no such
// home, so this is the registry alone.
NarrowString findSystemRuntime() {
    NarrowString found = findRuntimeInRegistry(kJavaSoftRuntimeKey);
    NarrowString home;
    if (found.empty() && platform::systemRuntimeHome(home)) {
        trace::event("runtime", "s: the system's runtime home %s", home.c_str());
        found = findRuntimeBelowHome(home);
    }
    return found;
}

NarrowString resolveRelativePath(const NarrowString& path) {
    if (platform::isAbsolutePath(path.c_str())) return path;
    NarrowString underExecutable = executableDirectory() + path;
    if (platform::pathExists(underExecutable.c_str())) return underExecutable;
    if (!startupDirectory().empty()) {
        NarrowString underStartup = startupDirectory() + path;
        if (platform::pathExists(underStartup.c_str())) return underStartup;
    }
    return underExecutable;
}

NarrowString LauncherConfig::findRuntimeLibrary() const {
    NarrowString order = searchOrder(*this);
    trace::event("runtime", "search order %s", order.c_str());
    for (int i = 0; i < order.length(); ++i) {
        NarrowString found;
        trace::event("runtime", "trying %c", order.byteAt(i));
        switch (order.byteAt(i)) {
            case 'c':
                found = findConfiguredRuntime(*this);
                break;
            case 's':
                found = findSystemRuntime();
                break;
            case 'i':
                found = findRuntimeInRegistry(kIbmRuntimeKey);
                break;
            case 'e':
                found = findRuntimeInHomes();
                break;
            default:
                break;
        }
        if (!found.empty()) {
            trace::event("runtime", "runtime library %s", found.c_str());
            return found;
        }
    }
    trace::event("runtime", "no runtime library found");
    return NarrowString();
}

}  // namespace oru
