// Standard output and error sent to /dev/null and back, on Linux.
// Only Linux code belongs in this file.
#include "platform/quiet_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace oru::platform {

namespace {

int savedOutput = -1;
int savedError = -1;

}  // namespace

bool silenceStandardOutput() {
    if (savedOutput >= 0) return true;
    std::fflush(nullptr);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return false;
    savedOutput = fcntl(1, F_DUPFD_CLOEXEC, 3);
    savedError = fcntl(2, F_DUPFD_CLOEXEC, 3);
    if (savedOutput >= 0) dup2(null, 1);
    if (savedError >= 0) dup2(null, 2);
    close(null);
    return true;
}

void restoreStandardOutput() {
    int* const saved[] = {&savedOutput, &savedError};
    for (int fd = 1; fd <= 2; ++fd) {
        if (*saved[fd - 1] < 0) continue;
        dup2(*saved[fd - 1], fd);
        close(*saved[fd - 1]);
        *saved[fd - 1] = -1;
    }
}

}  // namespace oru::platform
