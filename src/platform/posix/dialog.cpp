// The failure report on Linux: one line on standard error.
// Only Linux code belongs in this file.
#include "platform/dialog.h"

#include <cstring>
#include <initializer_list>

#include "platform/trace_output.h"

namespace oru::platform {

// Written as the trace is: a standard error whose reader went away loses the message
// but never ends the process with SIGPIPE.
void showMessageBox(void*, const char* text, const char* caption) {
    void* standardError = openTraceOutput("1");
    for (const char* part : {caption ? caption : "", ": ", text ? text : "", "\n"})
        writeTraceOutput(standardError, part, std::strlen(part));
}

// A Linux program is started from terminals, scripts and service managers, which read
// its exit code: it exits as a console program does.
bool isConsoleProgram() { return true; }

}  // namespace oru::platform
