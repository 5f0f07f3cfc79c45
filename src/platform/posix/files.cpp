// Reading files on Linux: descriptors, mappings and whole-file reads.
// Only Linux code belongs in this file.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace oru::platform {

namespace {

// Descriptors are kept in the handle pointer shifted by one, so that 0 stays "closed".
void* toHandle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1); }
int toDescriptor(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1); }

// Only regular files: a FIFO would block its reader until a writer comes, and a device
// such as /dev/zero never ends. O_NONBLOCK lets the open of a FIFO return at once, so it
// can be refused; on a regular file the flag changes nothing.
int openRegularFile(const char* path) {
    if (!path) return -1;
    int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

// Linux has no share modes: every reader lets others read and write.
bool ReadOnlyFile::open(const char* path, FileSharing) {
    close();
    int fd = openRegularFile(path);
    if (fd < 0) return false;
    handle_ = toHandle(fd);
    return true;
}

void ReadOnlyFile::close() {
    if (handle_) ::close(toDescriptor(handle_));
    handle_ = nullptr;
}

bool ReadOnlyFile::size(uint32_t& out) const {
    struct stat info;
    if (!handle_ || fstat(toDescriptor(handle_), &info) != 0) return false;
    if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > UINT32_MAX) return false;
    out = static_cast<uint32_t>(info.st_size);
    return true;
}

bool ReadOnlyFile::seek(uint32_t offset) {
    return handle_ && lseek(toDescriptor(handle_), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

int ReadOnlyFile::read(void* buffer, int count) {
    if (!handle_ || count < 0) return -1;
    ssize_t n;
    do {
        n = ::read(toDescriptor(handle_), buffer, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    return static_cast<int>(n);
}

int ReadOnlyFile::readAt(uint32_t offset, void* buffer, int count) const {
    if (!handle_ || count < 0) return -1;
    ssize_t n;
    do {
        n = ::pread(toDescriptor(handle_), buffer, static_cast<size_t>(count),
                    static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    return static_cast<int>(n);
}

bool MappedFile::open(const char* path) {
    close();
    int fd = openRegularFile(path);
    if (fd < 0) return false;
    struct stat info;
    // A 32-bit process cannot map a file of 4 GiB or more: mmap would take the size cut
    // to its low 32 bits and map a stub of the file.
    if (fstat(fd, &info) != 0 || static_cast<uint64_t>(info.st_size) > SIZE_MAX) {
        ::close(fd);
        return false;
    }
    size_ = static_cast<uint64_t>(info.st_size);
    if (size_ > 0) {
        void* view = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view == MAP_FAILED) {
            ::close(fd);
            size_ = 0;
            return false;
        }
        data_ = static_cast<const unsigned char*>(view);
    }
    file_ = toHandle(fd);
    return true;
}

void MappedFile::close() {
    if (data_) munmap(const_cast<unsigned char*>(data_), size_);
    if (file_) ::close(toDescriptor(file_));
    data_ = nullptr;
    size_ = 0;
    file_ = nullptr;
}

}  // namespace oru::platform
