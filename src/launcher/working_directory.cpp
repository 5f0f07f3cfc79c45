// The forced working directory and resolving paths against a base directory.
#include "launcher/working_directory.h"

#include "launcher/config_load.h"
#include "platform/path_style.h"
#include "platform/paths.h"

namespace oru {

int resolveAgainstDirectory(const char* base, const char* path, char* buffer, int capacity) {
    NarrowString relative(path);
    const platform::PathStyle& style = platform::pathStyle();
    if (style.hasDrives && relative.length() >= 2 && relative.byteAt(1) == ':')
        return platform::fullPathName(relative.c_str(), buffer, capacity);

    NarrowString built(base);
    char first = relative.byteAt(0);
    if (first == '\\' || first == '/') {
        // A rooted path keeps the base's drive, where the platform has drives.
        built = built.left(style.hasDrives ? 2 : 0);
    } else if (built.byteAt(built.length() - 1) != style.directorySeparator) {
        built += style.directorySeparator;
    }
    built += relative;
    return platform::fullPathName(built.c_str(), buffer, capacity);
}

void applyForcedWorkingDirectory(const char* directory) {
    char buffer[platform::kPathCapacity];
    int length = resolveAgainstDirectory(executableDirectory().c_str(), directory, buffer,
                                         platform::kPathCapacity);
    if (length > 0 && length < platform::kPathCapacity) platform::changeDirectory(buffer);
}

}  // namespace oru
