// Executable path, current directory, full paths and path style on Linux.
// Only Linux code belongs in this file.
#include "platform/paths.h"
#include "platform/path_style.h"

#include <unistd.h>

#include <cstring>
#include <vector>

namespace oru::platform {

const PathStyle& pathStyle() {
    static const PathStyle style{'/', ':', false};
    return style;
}

bool isDirectorySeparator(char c) { return c == '/'; }

bool isAbsolutePath(const char* path) { return path && path[0] == '/'; }

bool isFullyQualifiedPath(const char* path) { return isAbsolutePath(path); }

NarrowString configurationFilePath(const NarrowString& executablePath, const char* suffix) {
    // A four-character extension (tool.bin) is replaced; a name without one (tool, or a
    // hidden file such as /x/.bin) gains the suffix.
    int length = executablePath.length();
    NarrowString extension = executablePath.right(3);
    bool hasExtension = length >= 5 && executablePath.byteAt(length - 4) == '.' &&
                        executablePath.byteAt(length - 5) != '/' &&
                        !std::strchr(extension.c_str(), '/');
    return (hasExtension ? executablePath.left(length - 4) : executablePath) + suffix;
}

bool executablePath(NarrowString& out, NarrowString*) {
    out = "";
    char buffer[kPathCapacity];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer)) return false;
    out = NarrowString(buffer, static_cast<int>(n));
    return true;
}

bool currentDirectory(NarrowString& out) {
    out = "";
    char buffer[kPathCapacity];
    if (!getcwd(buffer, sizeof buffer)) return false;
    out = buffer;
    return true;
}

bool changeDirectory(const char* path) { return path && chdir(path) == 0; }

namespace {

// Folds ".", ".." and repeated "/" of an absolute path, as the Windows call does
// without looking at the file system.
NarrowString foldPath(const NarrowString& absolute) {
    std::vector<NarrowString> parts;
    const char* text = absolute.c_str();
    for (int start = 0; start <= absolute.length();) {
        const char* slash = std::strchr(text + start, '/');
        int end = slash ? static_cast<int>(slash - text) : absolute.length();
        NarrowString part(text + start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    NarrowString folded;
    for (const NarrowString& part : parts) folded += "/" + part;
    bool trailingSlash = absolute.length() > 1 && absolute.byteAt(absolute.length() - 1) == '/';
    if (folded.empty() || trailingSlash) folded += '/';
    return folded;
}

}  // namespace

int fullPathName(const char* path, char* buffer, int capacity) {
    if (!path || !*path) return 0;
    NarrowString absolute;
    if (path[0] != '/') {
        if (!currentDirectory(absolute)) return 0;
        absolute += '/';
    }
    absolute += path;
    NarrowString folded = foldPath(absolute);
    if (!buffer || folded.length() + 1 > capacity) return folded.length() + 1;
    std::memcpy(buffer, folded.c_str(), static_cast<size_t>(folded.length()) + 1);
    return folded.length();
}

}  // namespace oru::platform
