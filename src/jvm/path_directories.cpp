// Walking PATH for the runtime search: quoted elements, relative ones skipped.
#include "jvm/path_directories.h"

#include "platform/environment.h"
#include "platform/path_style.h"
#include "platform/trace.h"

namespace oru {

PathDirectories::PathDirectories(char letter) : letter_(letter) {
    platform::environmentValue("PATH", path_);
}

bool PathDirectories::next(NarrowString& directory) {
    const char separator = platform::pathStyle().listSeparator;
    while (at_ < path_.length()) {
        directory.clear();
        bool quoted = false;
        for (; at_ < path_.length(); ++at_) {
            const char c = path_.byteAt(at_);
            if (c == '"') {
                quoted = !quoted;
            } else if (c == separator && !quoted) {
                break;
            } else {
                directory += c;
            }
        }
        ++at_;  // past the separator
        if (platform::isFullyQualifiedPath(directory.c_str())) return true;
        trace::event("runtime", "%c: PATH element \"%s\" is relative: skipped", letter_,
                     directory.c_str());
    }
    return false;
}

}  // namespace oru
