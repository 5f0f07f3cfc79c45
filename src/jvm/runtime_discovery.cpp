// Runtime discovery: the virtual-machine library from the configuration, the registry
// (the system's runtime on Linux), the JRE_HOME and JAVA_HOME environment variables, and
// the runtimes that installers registered or PATH offers.
#include "jvm/runtime_discovery.h"

#include <initializer_list>

#include "jvm/installed_runtimes.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/environment_expansion.h"
#include "platform/path_style.h"
#include "platform/runtime_layout.h"
#include "platform/trace.h"

namespace oru {

const char kJavaSoftRuntimeKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kIbmRuntimeKey[] = "SOFTWARE\\IBM\\Java2 Runtime Environment";

namespace {

bool endsWithSeparator(const NarrowString& path) {
    char last = path.byteAt(path.length() - 1);
    return last == '\\' || last == '/';
}

bool isSourceLetter(char c) {
    return c == 'c' || c == 's' || c == 'i' || c == 'e' || InstalledRuntimes::isSource(c);
}

// The search order: "jre_order" in lower case, or "csieovp" when it names no source. The
// four original sources come first, so that the installed runtimes are searched only when
// those found nothing, and a configuration naming only their letters searches as before.
NarrowString searchOrder(const RuntimeSettings& settings) {
    NarrowString order = settings.order;
    bool usable = false;
    for (int i = 0; i < order.length(); ++i) {
        char c = order.byteAt(i);
        if (c >= 'A' && c <= 'Z') order.data()[i] = static_cast<char>(c - 'A' + 'a');
        usable = usable || isSourceLetter(order.byteAt(i));
    }
    return usable ? order : NarrowString("csieovp");
}

NarrowString findConfiguredRuntime(const RuntimeSettings& settings, const RuntimeSearch& search) {
    NarrowString configured = expandEnvironment(settings.configuredLibrary.c_str());
    if (configured.empty()) {
        trace::event("runtime", "c: no jvmdll configured");
        return configured;
    }
    // A library runs code the moment it loads: a relative one is taken from beside the
    // executable only, never from wherever the user happened to start it.
    if (!platform::isFullyQualifiedPath(configured.c_str()))
        configured = settings.folders.executable + configured;
    return isUsableRuntime("c: jvmdll", configured, search) ? configured : NarrowString();
}

// The library directly in `dir`, else in one of its subdirectories (client, server).
NarrowString findRuntimeInDirectory(const NarrowString& dir, const RuntimeSearch& search) {
    const char* library = platform::runtimeLibraryName();
    NarrowString direct = dir + library;
    if (isUsableRuntime("library", direct, search)) return direct;
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
        if (isUsableRuntime("library", candidate, search)) return candidate;
    }
    return NarrowString();
}

// Linux has no registry; there the system's runtime is the `java` on PATH
// (platform::systemRuntimeHome), searched like a runtime home. Windows offers no such
// home, so this is the registry alone.
NarrowString findSystemRuntime(const RuntimeSearch& search) {
    NarrowString found = findRuntimeInRegistry(kJavaSoftRuntimeKey, search);
    NarrowString home;
    if (found.empty() && platform::systemRuntimeHome(home)) {
        trace::event("runtime", "s: the system's runtime home %s", home.c_str());
        found = findRuntimeBelowHome(home, search);
    }
    return found;
}

}  // namespace

RuntimeSearch systemRuntimeSearch() {
    return {platform::systemRegistry(), static_cast<int>(sizeof(void*) * 8)};
}

bool isUsableRuntime(const char* what, const NarrowString& path, const RuntimeSearch& search) {
    // Code is loaded only from a place named in full, never from one relative to the
    // current directory.
    const bool named = platform::isFullyQualifiedPath(path.c_str());
    const LibraryImage image = named ? inspectLibrary(path) : LibraryImage();
    trace::event("runtime", "%s %s: %s", what, path.c_str(),
                 !named        ? "a relative path: passed over"
                 : image.found ? "found"
                               : "not there");
    if (image.bits != 0 && image.bits != search.launcherBits) {
        trace::event("runtime",
                     "%s: a %d-bit library, this launcher loads %d-bit ones: passed over",
                     path.c_str(), image.bits, search.launcherBits);
        return false;
    }
    if (image.found && !image.loadable)
        trace::event("runtime", "%s: not a complete library for this machine: passed over",
                     path.c_str());
    return image.loadable;
}

NarrowString findRuntimeBelowHome(const NarrowString& home, const RuntimeSearch& search) {
    if (home.empty()) return home;
    NarrowString base = home;
    if (!endsWithSeparator(base)) base += platform::pathStyle().directorySeparator;
    for (const char* const* relative = platform::runtimeLibraryDirectories(); *relative;
         ++relative) {
        NarrowString found = findRuntimeInDirectory(base + *relative, search);
        if (!found.empty()) return found;
    }
    return NarrowString();
}

NarrowString findRuntimeInHomes(const RuntimeSearch& search) {
    for (const char* variable : {"JRE_HOME", "JAVA_HOME"}) {
        NarrowString home;
        if (!platform::environmentValue(variable, home) || home.empty()) {
            trace::event("runtime", "e: %s not set", variable);
            continue;
        }
        trace::event("runtime", "e: %s=%s", variable, home.c_str());
        NarrowString found = findRuntimeBelowHome(home, search);
        if (!found.empty()) return found;
    }
    return NarrowString();
}

NarrowString findRuntimeInRegistry(const char* keyPath, const RuntimeSearch& search) {
    const platform::RegistryRoot machine = platform::RegistryRoot::kMachine;
    NarrowString version;
    if (!search.registry.readValue(machine, keyPath, "CurrentVersion", version)) {
        trace::event("runtime", "registry HKLM\\%s CurrentVersion: not there", keyPath);
        return NarrowString();
    }
    NarrowString versionKey = NarrowString(keyPath) + "\\" + version;
    NarrowString library;
    if (!search.registry.readValue(machine, versionKey.c_str(), "RuntimeLib", library)) {
        trace::event("runtime", "registry HKLM\\%s RuntimeLib: not there", versionKey.c_str());
        return NarrowString();
    }
    return isUsableRuntime("registry RuntimeLib", library, search) ? library : NarrowString();
}

NarrowString resolveRelativePath(const NarrowString& path, const LaunchFolders& folders) {
    if (platform::isAbsolutePath(path.c_str())) return path;
    NarrowString underExecutable = folders.executable + path;
    if (platform::pathExists(underExecutable.c_str())) return underExecutable;
    if (!folders.startup.empty()) {
        NarrowString underStartup = folders.startup + path;
        if (platform::pathExists(underStartup.c_str())) return underStartup;
    }
    return underExecutable;
}

// The letters of the installed-runtime sources that stand next to each other in the
// order are searched together: the highest version among all they find wins.
NarrowString findRuntimeLibrary(const RuntimeSettings& settings, const RuntimeSearch& search) {
    NarrowString order = searchOrder(settings);
    trace::event("runtime", "search order %s", order.c_str());
    InstalledRuntimes installed(search, settings.minimumVersion.c_str());
    for (int i = 0; i < order.length(); ++i) {
        const char letter = order.byteAt(i);
        NarrowString found;
        trace::event("runtime", "trying %c", letter);
        switch (letter) {
            case 'c':
                found = findConfiguredRuntime(settings, search);
                break;
            case 's':
                found = findSystemRuntime(search);
                break;
            case 'i':
                found = findRuntimeInRegistry(kIbmRuntimeKey, search);
                break;
            case 'e':
                found = findRuntimeInHomes(search);
                break;
            default:
                if (!InstalledRuntimes::isSource(letter)) break;
                installed.collect(letter);
                if (!InstalledRuntimes::isSource(order.byteAt(i + 1))) found = installed.best();
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
