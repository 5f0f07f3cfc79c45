// Class path assembly: the executable, configured elements, CLASSPATH and CLASS_PATH,
// then the archives below the configured library directories.
#include "jvm/class_path.h"

#include <cstring>
#include <vector>

#include "jvm/runtime_discovery.h"
#include "launcher/launcher_config.h"
#include "platform/directory.h"
#include "platform/directory_identity.h"
#include "platform/environment.h"
#include "platform/path_style.h"
#include "platform/trace.h"
#include "support/archive_names.h"

namespace oru {

namespace {

// The identities of the directories being scanned, outermost first.
using ScanChain = std::vector<platform::DirectoryIdentity>;

void collectArchivesIn(NarrowString directory, NarrowString& path, ScanChain& chain) {
    char last = directory.byteAt(directory.length() - 1);
    if (last != '\\' && last != '/') directory += platform::pathStyle().directorySeparator;

    // A directory that is its own ancestor (a link or junction back up the tree) would
    // be scanned without end; one whose identity cannot be read is scanned anyway.
    platform::DirectoryIdentity identity;
    bool known = platform::directoryIdentity(directory.c_str(), identity);
    if (known) {
        for (const platform::DirectoryIdentity& ancestor : chain)
            if (ancestor == identity) return;
        chain.push_back(identity);
    }

    platform::DirectoryListing listing;
    if (listing.open(directory.c_str())) {
        const char separator = platform::pathStyle().listSeparator;
        for (platform::DirectoryEntry entry; listing.next(entry);) {
            if (entry.isDirectory) {
                if (entry.name != "." && entry.name != "..")
                    collectArchivesIn(directory + entry.name, path, chain);
            } else if (hasArchiveExtension(entry.name.c_str(),
                                           static_cast<size_t>(entry.name.length()))) {
                path += separator;
                path += directory + entry.name;
            }
        }
    }
    if (known) chain.pop_back();
}

void traceElements(const NarrowString& path) {
    if (!trace::enabled()) return;
    const char separator = platform::pathStyle().listSeparator;
    int element = 0;
    for (int start = 0; start <= path.length();) {
        int end = start;
        while (end < path.length() && path.byteAt(end) != separator) ++end;
        trace::event("classpath", "%d: %s", ++element, path.mid(start, end - start).c_str());
        start = end + 1;
    }
}

void appendClassPathCallback(void* context, const char* value) {
    appendClassPathValue(*static_cast<NarrowString*>(context), value);
}

}  // namespace

void appendClassPathValue(NarrowString& path, const char* value) {
    const char separator = platform::pathStyle().listSeparator;
    for (const char* start = value ? value : ""; *start;) {
        const char* end = std::strchr(start, separator);
        int length = end ? static_cast<int>(end - start) : static_cast<int>(std::strlen(start));
        if (length > 0) {
            // Split first, expand second: a separator inside a variable's value stays.
            NarrowString segment(start, length);
            path += separator;
            path += resolveRelativePath(expandEnvironment(segment.c_str()));
        }
        if (!end) break;
        start = end + 1;
    }
}

void collectArchives(const NarrowString& directory, NarrowString& path) {
    ScanChain chain;
    collectArchivesIn(directory, path, chain);
}

NarrowString LauncherConfig::buildClassPath() const {
    NarrowString configured;
    forEachValue("classpath", appendClassPathCallback, &configured);
    NarrowString path = executablePath_ + configured;

    const char separator = platform::pathStyle().listSeparator;
    for (const char* variable : {"CLASSPATH", "CLASS_PATH"}) {
        NarrowString value;
        // A set but empty variable adds nothing: an empty element would put the current
        // directory on the class path.
        if (!platform::environmentValue(variable, value) || value.empty()) continue;
        path += separator;
        path += value;
    }

    StringList libraries = expandedValues("libs");
    for (int i = 0; i < libraries.count(); ++i) {
        NarrowString found;
        collectArchives(resolveRelativePath(NarrowString(libraries.at(i))), found);
        path += found;
    }
    traceElements(path);
    return path;
}

}  // namespace oru
