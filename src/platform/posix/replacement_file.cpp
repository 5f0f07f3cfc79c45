// The replacement file on Linux: mkstemp beside the destination, rename at the end, and
// the signal handlers that remove it when the process is interrupted.
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

const int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

// The pending file's name, for the signal handler; armed only while it is complete.
char pendingPath[kPathCapacity + 32];
volatile sig_atomic_t pendingArmed = 0;

void* toHandle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1); }
int toDescriptor(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1); }

// Removes the pending file, then lets the signal end the process as it would have.
extern "C" void removePendingAndRaise(int signal) {
    if (pendingArmed) unlink(pendingPath);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void arm(const char* path) {
    std::memcpy(pendingPath, path, std::strlen(path) + 1);
    pendingArmed = 1;
    struct sigaction action = {};
    action.sa_handler = removePendingAndRaise;
    sigemptyset(&action.sa_mask);
    for (int signal : kInterruptions) {
        struct sigaction previous;
        // A signal the caller's parent ignored (nohup) stays ignored.
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
    // Past the file size limit, write fails with EFBIG instead of the process ending.
    ::signal(SIGXFSZ, SIG_IGN);
}

void disarm() {
    pendingArmed = 0;
    for (int signal : kInterruptions) {
        struct sigaction current;
        if (sigaction(signal, nullptr, &current) == 0 &&
            current.sa_handler == removePendingAndRaise)
            ::signal(signal, SIG_DFL);
    }
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
    // mkstemp creates with O_EXCL: an existing name, a link included, is never opened.
    const int fd = mkostemp(path_, O_CLOEXEC);
    if (fd < 0) {
        copyReason(failure_, sizeof failure_, errno);
        return false;
    }
    handle_ = toHandle(fd);
    arm(path_);
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
