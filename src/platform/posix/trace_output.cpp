// The launch trace's destination on Linux: descriptors, and writes that raise no SIGPIPE.
// Only Linux code belongs in this file.
#include "platform/trace_output.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace oru::platform {

namespace {

// Descriptors are kept in the handle pointer shifted by one, so that 0 stays "none".
void* toHandle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1); }
int toDescriptor(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1); }

bool acceptedDestination(int fd) {
    struct stat info;
    if (fstat(fd, &info) != 0) return false;
    return S_ISREG(info.st_mode) || (S_ISCHR(info.st_mode) && isatty(fd));
}

// Writes everything, resuming after interruptions and partial writes.
bool writeAll(int fd, const char* bytes, size_t count, int& failure) {
    while (count > 0) {
        const ssize_t done = ::write(fd, bytes, count);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            failure = done < 0 ? errno : EIO;
            return false;
        }
        bytes += done;
        count -= static_cast<size_t>(done);
    }
    return true;
}

}  // namespace

void* openTraceOutput(const char* target) {
    if (!target || !*target) return nullptr;
    if (std::strcmp(target, "1") == 0) return toHandle(STDERR_FILENO);
    // O_NONBLOCK: the open of a FIFO without a reader fails at once instead of waiting.
    const int fd =
        ::open(target, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    if (!acceptedDestination(fd)) {
        ::close(fd);
        return nullptr;
    }
    // A terminal's writes may wait, as they would for any other program.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return toHandle(fd);
}

// SIGPIPE is blocked on this thread around the write only: a write to a pipe without a
// reader then fails with EPIPE and leaves the signal pending on this thread, where it is
// taken back before the mask is restored. The handlers stay untouched, so the virtual
// machine's own handling of SIGPIPE is never changed.
bool writeTraceOutput(void* output, const char* bytes, size_t count) {
    if (!output) return false;
    sigset_t pipeSignal, previous, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    if (pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous) != 0) return false;
    const bool pendingBefore = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    int failure = 0;
    const bool written = writeAll(toDescriptor(output), bytes, count, failure);
    if (failure == EPIPE && !pendingBefore) {
        const struct timespec now = {0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return written;
}

}  // namespace oru::platform
