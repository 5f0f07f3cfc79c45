// Loading the configuration: the recorded directories, the file beside the executable
// and the archive comment.
#include "launcher/config_load.h"

#include <algorithm>
#include <vector>

#include "archive/archive_region.h"
#include "archive/zip_records.h"
#include "archive/zip_source.h"
#include "launcher/config_comment.h"
#include "platform/directory.h"
#include "platform/files.h"
#include "platform/path_style.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "support/little_endian.h"

namespace oru {

namespace {

// Process-wide and kept until exit; written only while the configuration loads. Built
// before anything runs (an empty string needs no code), unlike a function-local static,
// which would guard itself with a lock that pulls a thread library into every launcher.
NarrowString executableDirectoryValue;
NarrowString startupDirectoryValue;

NarrowString& executableDirectoryStore() { return executableDirectoryValue; }
NarrowString& startupDirectoryStore() { return startupDirectoryValue; }

}  // namespace

NarrowString readConfigurationFile(const NarrowString& executablePath) {
    // A hand-written configuration is a few lines; a larger file is not one (the archive
    // comment is capped at 2,048 bytes), and counts as a file that does not open.
    constexpr uint32_t kLargestFile = 1 << 20;
    NarrowString text;
    if (executablePath.empty()) return text;
    for (const char* suffix : {".cfg", ".config"}) {
        NarrowString name = platform::configurationFilePath(executablePath, suffix);
        if (platform::pathExists(name.c_str()) &&
            platform::appendFileContents(name.c_str(), text, kLargestFile)) {
            trace::event("config", "file %s: %d bytes", name.c_str(), text.length());
            break;
        }
        trace::event("config", "file %s: none", name.c_str());
    }
    return text;
}

const NarrowString& executableDirectory() { return executableDirectoryStore(); }
const NarrowString& startupDirectory() { return startupDirectoryStore(); }

void recordDirectories(const NarrowString& executablePath, const NarrowString& currentDirectory) {
    // An unknown current directory stays empty rather than turning into the root.
    NarrowString startup = currentDirectory;
    char separator = platform::pathStyle().directorySeparator;
    if (!startup.empty() && startup.byteAt(startup.length() - 1) != separator) startup += separator;
    startupDirectoryStore() = startup;

    int cut = executablePath.length();
    while (cut > 0 && !platform::isDirectorySeparator(executablePath.byteAt(cut - 1))) --cut;
    executableDirectoryStore() = executablePath.left(cut);
}

LauncherConfig loadConfiguration() {
    NarrowString current;
    platform::currentDirectory(current);
    NarrowString path;
    NarrowString lossy;
    platform::executablePath(path, &lossy);
    recordDirectories(path, current);
    const bool unrepresentable = !lossy.empty();
    if (unrepresentable)
        trace::event("config",
                     "executable %s: its path has characters the ANSI code page "
                     "lacks and no short form without them",
                     lossy.c_str());
    else
        trace::event("config", "executable %s", path.c_str());
    trace::event("config", "start-up directory %s", startupDirectory().c_str());
    const NarrowString comment = readArchiveComment(path.c_str());
    return LauncherConfig(path, readConfigurationFile(path), comment, unrepresentable);
}

NarrowString findArchiveComment(const unsigned char* bytes, uint64_t size, uint32_t padding) {
    // The end record lies within the search span before any alignment padding; only a
    // signature with a whole record after it counts.
    const uint64_t kSearchSpan = kConfigurationSearchSpan + uint64_t{padding};
    if (!bytes || size < kEndRecordSize) return NarrowString("", 0);
    uint64_t lowest = size > kSearchSpan ? size - kSearchSpan : 0;
    for (uint64_t at = size - kEndRecordSize + 1; at-- > lowest;) {
        if (readU32(bytes + at) == kEndSignature) {
            const char* comment = reinterpret_cast<const char*>(bytes + at + kEndRecordSize);
            const int length = static_cast<int>(size - at - kEndRecordSize);
            trace::event("config", "archive comment: %d bytes", length);
            return NarrowString(comment, length);
        }
    }
    trace::event("config", "archive comment: no end record in the last %d bytes",
                 static_cast<int>(kSearchSpan));
    return NarrowString("", 0);
}

NarrowString readArchiveComment(const char* path) {
    // Only the headers and the tail are read, so a large executable costs no more than
    // a small one (a 32-bit process may not even have room to map it whole).
    platform::ReadOnlyFile file;
    uint32_t size = 0;
    if (!file.open(path, platform::FileSharing::kReaders) || !file.size(size))
        return NarrowString("", 0);
    CZipFileSliceSource whole;
    whole.attach(&file, 0, size);
    // A signed executable's certificate table is not part of the archive.
    const ArchiveRegion region = findArchiveRegion(whole);
    if (region.length != size)
        trace::event("config", "signed: the archive ends at %ld, before the certificate table",
                     static_cast<long>(region.length));
    const uint32_t span = static_cast<uint32_t>(
        std::min<uint64_t>(region.length, kConfigurationSearchSpan + uint64_t{region.padding}));
    std::vector<unsigned char> tail(span);
    if (span > 0 && !whole.readAt(region.length - span, tail.data(), span))
        return NarrowString("", 0);
    return findArchiveComment(tail.data(), span, region.padding);
}

}  // namespace oru
