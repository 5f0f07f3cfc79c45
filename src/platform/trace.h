// The launch trace: one plain line per decision, switched on by ORU_TRACE.
#pragma once

#if defined(__GNUC__)
#define ORU_TRACE_FORMAT __attribute__((format(printf, 2, 3)))
#else
#define ORU_TRACE_FORMAT
#endif

namespace oru::trace {

// Whether the environment variable ORU_TRACE asked for a trace: "1" writes it to
// standard error, any other value (but "0") is a file the trace is appended to. Read
// once; cheap afterwards.
bool enabled();

// Writes "oru-trace <ms>ms <area>: <text>" when tracing, <ms> counting from the start
// of the process. Safe from any thread. A trace that cannot be written is dropped, and
// nothing the launch does depends on it.
void event(const char* area, const char* format, ...) ORU_TRACE_FORMAT;

}  // namespace oru::trace
