// Where the launch trace goes: standard error or a file appended to, never waited for.
#pragma once

#include <cstddef>

namespace oru::platform {

// The trace's destination for the value of ORU_TRACE: "1" is the inherited standard
// error; any other value names a file that is created or appended to. A named file is
// kept only when it is a regular file or a terminal, and opening it never waits (a FIFO
// without a reader is refused at once). Null when there is no usable destination. The
// handle stays open for the life of the process.
void* openTraceOutput(const char* target);

// Writes all `count` bytes of `bytes`; false when they could not all be written. A
// reader that went away never raises a signal: the write just fails, and the signal
// handling of everything else in the process (the virtual machine's) stays as it was.
bool writeTraceOutput(void* output, const char* bytes, size_t count);

}  // namespace oru::platform
