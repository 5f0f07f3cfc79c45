// The launch trace: where it goes, its time stamps and its one-line events.
#include "support/trace.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/environment.h"
#include "platform/formatting.h"
#include "platform/lock.h"

namespace oru::trace {

namespace {

// Taken while static objects are built, so that times count from the process's start.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

struct Sink {
    bool on = false;
    FILE* file = nullptr;  // stderr, or the file named by ORU_TRACE
    platform::Lock lock;
};

Sink& sink() {
    // Never destroyed: threads of the virtual machine may still trace while the
    // process exits.
    static Sink& instance = *[] {
        Sink* made = new Sink;
        NarrowString target;
        if (platform::environmentValue("ORU_TRACE", target) && !target.empty() &&
            target != "0") {
            made->file = target == "1" ? stderr : std::fopen(target.c_str(), "a");
            made->on = made->file != nullptr;
        }
        return made;
    }();
    return instance;
}

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
    char text[4096];
    char head[96];
    formatLine(head, sizeof head, "oru-trace %ldms %s: ", elapsed, area);
    va_list args;
    va_start(args, format);
    platform::formatInto(text, sizeof text, format, args);
    va_end(args);
    platform::LockGuard guard(out.lock);
    std::fputs(head, out.file);
    std::fputs(text, out.file);
    std::fputc('\n', out.file);
    std::fflush(out.file);
}

}  // namespace oru::trace
