// The failure report on Linux: one line on standard error.
// Only Linux code belongs in this file.
#include "platform/dialog.h"

#include <cstdio>

namespace oru::platform {

void showMessageBox(void*, const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stderr);
}

bool isConsoleProgram() { return false; }

}  // namespace oru::platform
