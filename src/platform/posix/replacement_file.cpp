// The replacement file on Linux: mkstemp beside the destination, rename at the end, and
// the signal handlers that remove it when a signal ends the process.
// Only Linux code belongs in this file.
#include "platform/replacement_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace oru::platform {

namespace {

// The pending file's name, for the signal handler; armed only while it is complete.
char pendingPath[kPathCapacity + 32];
volatile sig_atomic_t pendingArmed = 0;

void* toHandle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1); }
int toDescriptor(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1); }

// Whether the default action of `signal` leaves the process running (ignores, stops or
// continues it); SIGKILL and SIGSTOP cannot be caught anyway.
bool spares(int signal) {
    switch (signal) {
        case SIGKILL:
        case SIGSTOP:
        case SIGCHLD:
        case SIGCONT:
        case SIGURG:
        case SIGWINCH:
        case SIGTSTP:
        case SIGTTIN:
        case SIGTTOU:
            return true;
        default:
            return false;
    }
}

// Whether the process itself raised SIGXFSZ by writing past its file size limit: the
// system sends it as if the process had (its own id, SI_USER), and fails the write with
// EFBIG once the handler returns.
bool passedFileSizeLimit(int signal, const siginfo_t* info) {
    return signal == SIGXFSZ && info && info->si_code == SI_USER && info->si_pid == getpid();
}

// Removes the pending file, then lets the signal end the process as it would have.
extern "C" void removePendingAndRaise(int signal, siginfo_t* info, void*) {
    if (passedFileSizeLimit(signal, info)) return;
    if (pendingArmed) unlink(pendingPath);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

bool ownsHandler(int signal) {
    struct sigaction current;
    return sigaction(signal, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) &&
           current.sa_sigaction == removePendingAndRaise;
}

// Catches every signal that would end the process while the file is pending, the real-time
// ones included. A signal not in its default state keeps its handling: one that the
// parent ignored (nohup) stays ignored, and a sanitizer's fault handler keeps reporting.
void arm(const char* path) {
    std::memcpy(pendingPath, path, std::strlen(path) + 1);
    pendingArmed = 1;
    struct sigaction action = {};
    action.sa_sigaction = removePendingAndRaise;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int signal = 1; signal <= SIGRTMAX; ++signal) {
        struct sigaction previous;
        // The C library refuses the signals it keeps for itself: they stay as they are.
        if (!spares(signal) && sigaction(signal, nullptr, &previous) == 0 &&
            !(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_DFL)
            sigaction(signal, &action, nullptr);
    }
}

void disarm() {
    pendingArmed = 0;
    for (int signal = 1; signal <= SIGRTMAX; ++signal)
        if (ownsHandler(signal)) ::signal(signal, SIG_DFL);
}

void copyReason(char* out, size_t capacity, int error) {
    std::snprintf(out, capacity, "%s", std::strerror(error));
}

}  // namespace

bool ReplacementFile::create(const char* destination) {
    discard();
    const int written = std::snprintf(path_, sizeof path_, "%s.oru-pack-XXXXXX", destination);
    if (written < 0 || static_cast<size_t>(written) >= sizeof destination_ ||
        static_cast<size_t>(written) >= sizeof path_) {
        copyReason(failure_, sizeof failure_, ENAMETOOLONG);
        return false;
    }
    std::snprintf(destination_, sizeof destination_, "%s", destination);
    // Signals wait while the file is made and armed: none can end the process between
    // the two and leave the file behind.
    sigset_t all, previous;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &previous);
    // mkstemp creates with O_EXCL: an existing name, a link included, is never opened.
    const int fd = mkostemp(path_, O_CLOEXEC);
    const int reason = errno;
    if (fd >= 0) arm(path_);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) {
        copyReason(failure_, sizeof failure_, reason);
        return false;
    }
    handle_ = toHandle(fd);
    return true;
}

bool ReplacementFile::write(const void* bytes, size_t count) {
    const char* at = static_cast<const char*>(bytes);
    while (handle_ && count > 0) {
        const ssize_t done = ::write(toDescriptor(handle_), at, count);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            copyReason(failure_, sizeof failure_, done < 0 ? errno : ENOSPC);
            return false;
        }
        at += done;
        count -= static_cast<size_t>(done);
    }
    return handle_ != nullptr;
}

bool ReplacementFile::commit() {
    if (!handle_) return false;
    const mode_t mask = umask(0);
    umask(mask);
    const int fd = toDescriptor(handle_);
    handle_ = nullptr;
    // close reports a write error that the file system kept for it (NFS, quotas).
    bool done = fchmod(fd, 0777 & ~mask) == 0;
    if (!done) copyReason(failure_, sizeof failure_, errno);
    if (::close(fd) != 0 && done) {
        copyReason(failure_, sizeof failure_, errno);
        done = false;
    }
    if (done && ::rename(path_, destination_) != 0) {
        copyReason(failure_, sizeof failure_, errno);
        done = false;
    }
    if (!done) unlink(path_);
    disarm();
    return done;
}

void ReplacementFile::discard() {
    if (!handle_) return;
    ::close(toDescriptor(handle_));
    handle_ = nullptr;
    unlink(path_);
    disarm();
}

}  // namespace oru::platform
