// Whole-file reads, built on ReadOnlyFile and so shared by both backends.
#include "platform/files.h"

namespace oru::platform {

bool appendFileContents(const char* path, NarrowString& out) {
    ReadOnlyFile file;
    if (!file.open(path)) return false;
    char chunk[4096];
    for (int n; (n = file.read(chunk, sizeof chunk)) > 0;) out.append(chunk, n);
    return true;
}

}  // namespace oru::platform
