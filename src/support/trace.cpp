// The launch trace: where it goes, its time stamps and its one-line events.
#include "support/trace.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/environment.h"
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

void event(const char* area, const char* format, ...) {
    Sink& out = sink();
    if (!out.on) return;
    const long elapsed = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - processStart)
                                               .count());
    char head[96];
    std::snprintf(head, sizeof head, "oru-trace %ldms %s: ", elapsed, area);
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::vector<char> text(needed > 0 ? static_cast<size_t>(needed) + 1 : 1, '\0');
    if (needed > 0) std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    platform::LockGuard guard(out.lock);
    std::fputs(head, out.file);
    std::fputs(text.data(), out.file);
    std::fputc('\n', out.file);
    std::fflush(out.file);
}

}  // namespace oru::trace
