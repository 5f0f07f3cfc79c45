// The launch trace: where it goes, its time stamps and its one-line events.
#include "platform/trace.h"

#include <chrono>
#include <cstdarg>
#include <cstring>

#include "platform/environment.h"
#include "platform/formatting.h"
#include "platform/lock.h"
#include "platform/trace_output.h"

namespace oru::trace {

namespace {

// Taken while static objects are built, so that times count from the process's start.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

struct Sink {
    bool on = false;
    void* output = nullptr;  // standard error, or the file named by ORU_TRACE
    bool broken = false;     // a write failed: the rest of the trace is dropped
    platform::Lock lock;
};

Sink* theSink = nullptr;

// Never destroyed: threads of the virtual machine may still trace while the process exits.
Sink& sink() {
    if (!theSink) {
        theSink = new Sink;
        NarrowString target;
        if (platform::environmentValue("ORU_TRACE", target) && !target.empty() && target != "0") {
            theSink->output = platform::openTraceOutput(target.c_str());
            theSink->on = theSink->output != nullptr;
        }
    }
    return *theSink;
}

// Made while static objects are built, before the launcher or the virtual machine starts
// a thread, so that no two threads ever make it (a function-local static would guard
// itself with a lock that pulls a thread library into every launcher).
[[maybe_unused]] const Sink& sinkAtStart = sink();

}  // namespace

bool enabled() { return sink().on; }

namespace {

// Writes `format` with its arguments into `buffer`, through the platform's formatter.
void formatLine(char* buffer, int capacity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    platform::formatInto(buffer, capacity, format, args);
    va_end(args);
}

}  // namespace

void event(const char* area, const char* format, ...) {
    Sink& out = sink();
    if (!out.on) return;
    const long elapsed = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - processStart)
                                               .count());
    // A line longer than the buffer is cut: the trace is for reading, not for parsing.
    // The line goes out in one write, so that lines of several threads never mix.
    char line[4096 + 96];
    formatLine(line, 96, "oru-trace %ldms %s: ", elapsed, area);
    const size_t head = std::strlen(line);
    va_list args;
    va_start(args, format);
    platform::formatInto(line + head, static_cast<int>(sizeof line - head - 1), format, args);
    va_end(args);
    size_t length = std::strlen(line);
    line[length++] = '\n';
    platform::LockGuard guard(out.lock);
    if (!out.broken) out.broken = !platform::writeTraceOutput(out.output, line, length);
}

}  // namespace oru::trace
