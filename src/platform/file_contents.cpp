// Whole-file and positioned reads, built on ReadOnlyFile and so shared by both backends.
#include "platform/files.h"

namespace oru::platform {

uint32_t readFileAt(const ReadOnlyFile& file, uint64_t offset, void* buffer, uint32_t count) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    uint32_t done = 0;
    while (done < count && offset + done <= UINT32_MAX) {
        // A read may deliver less than asked; each asks for at most 1 GiB, which an int holds.
        const uint32_t chunk = count - done < (1u << 30) ? count - done : 1u << 30;
        const int n = file.readAt(static_cast<uint32_t>(offset + done), bytes + done,
                                  static_cast<int>(chunk));
        if (n <= 0) break;
        done += static_cast<uint32_t>(n);
    }
    return done;
}

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
