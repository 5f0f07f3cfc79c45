// Class path assembly: the executable, configured elements, CLASSPATH and CLASS_PATH,
// then the archives below the configured library directories.
#include "jvm/class_path.h"

#include <cstring>
#include <vector>

#include "platform/directory.h"
#include "platform/directory_identity.h"
#include "platform/environment.h"
#include "platform/environment_expansion.h"
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

// Appends the elements of one "classpath" value to `path`: split at the platform's list
// separator, empty segments dropped, each segment expanded and then resolved.
void appendClassPathValue(NarrowString& path, const char* value, const LaunchFolders& folders) {
    const char separator = platform::pathStyle().listSeparator;
    for (const char* start = value ? value : ""; *start;) {
        const char* end = std::strchr(start, separator);
        int length = end ? static_cast<int>(end - start) : static_cast<int>(std::strlen(start));
        if (length > 0) {
            // Split first, expand second: a separator inside a variable's value stays.
            NarrowString segment(start, length);
            path += separator;
            path += resolveRelativePath(expandEnvironment(segment.c_str()), folders);
        }
        if (!end) break;
        start = end + 1;
    }
}

// Appends every ".jar" and ".zip" file below `directory` to `path`, depth first in
// listing order, each with the list separator in front. A directory that is already
// being scanned further up (a link back to a parent) is not entered again.
void collectArchives(const NarrowString& directory, NarrowString& path) {
    ScanChain chain;
    collectArchivesIn(directory, path, chain);
}

}  // namespace

NarrowString buildClassPath(const ClassPathSettings& settings) {
    NarrowString path = settings.executablePath;
    for (int i = 0; i < settings.configured.count(); ++i)
        appendClassPathValue(path, settings.configured.at(i), settings.folders);

    const char separator = platform::pathStyle().listSeparator;
    for (const char* variable : {"CLASSPATH", "CLASS_PATH"}) {
        NarrowString value;
        // A set but empty variable adds nothing: an empty element would put the current
        // directory on the class path.
        if (!platform::environmentValue(variable, value) || value.empty()) continue;
        path += separator;
        path += value;
    }

    const StringList& libraries = settings.libraries;
    for (int i = 0; i < libraries.count(); ++i) {
        NarrowString found;
        const NarrowString directory(libraries.at(i));
        collectArchives(resolveRelativePath(directory, settings.folders), found);
        path += found;
    }
    traceElements(path);
    return path;
}

}  // namespace oru
