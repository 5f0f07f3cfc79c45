// Whole-file reads, built on ReadOnlyFile and so shared by both backends.
#include "platform/files.h"

namespace oru::platform {

bool appendFileContents(const char* path, NarrowString& out, uint32_t largest) {
    ReadOnlyFile file;
    uint32_t size = 0;
    if (!file.open(path) || !file.size(size) || size > largest) return false;
    // Counted again while reading: the file may grow after it was measured.
    NarrowString contents("", 0);
    char chunk[4096];
    for (int n; (n = file.read(chunk, sizeof chunk)) > 0;) {
        if (static_cast<uint64_t>(contents.length()) + static_cast<uint32_t>(n) > largest)
            return false;
        contents.append(chunk, n);
    }
    out.append(contents);
    return true;
}

}  // namespace oru::platform
