// Reading files: whole, through a handle with seeking or at offsets, or mapped.
#pragma once

#include <cstdint>

#include "support/narrow_string.h"

namespace oru::platform {

// Who else may use a file while it is open for reading.
enum class FileSharing {
    kReaders,            // others may read it (the executable's own archive)
    kReadersAndWriters,  // others may read and write it (configuration files)
};

// An existing regular file opened for reading: directories, pipes and devices do not
// open, and opening never waits for another process.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile() { close(); }

    bool open(const char* path, FileSharing sharing = FileSharing::kReadersAndWriters);
    bool isOpen() const { return handle_ != nullptr; }
    void close();
    // Size in bytes; false when it cannot be read or does not fit 32 bits.
    bool size(uint32_t& out) const;
    bool seek(uint32_t offset);
    // Reads up to `count` bytes at the current position; returns how many, -1 on error.
    int read(void* buffer, int count);
    // Reads up to `count` bytes at `offset`, neither using nor moving a position that
    // other readers could see, so threads may share the file; as read otherwise.
    int readAt(uint32_t offset, void* buffer, int count) const;

private:
    void* handle_ = nullptr;
};

// A whole regular file mapped read-only. An empty file maps to no bytes.
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() { close(); }

    bool open(const char* path);
    void close();
    const unsigned char* data() const { return data_; }
    uint64_t size() const { return size_; }

private:
    const unsigned char* data_ = nullptr;
    uint64_t size_ = 0;
    void* file_ = nullptr;
    void* mapping_ = nullptr;
};

// Reads `count` bytes at `offset` of `file`, in as many reads as it takes; returns how
// many arrived, fewer only at the end of the file or when a read fails. As readAt, it
// moves no position, so threads may share the file.
uint32_t readFileAt(const ReadOnlyFile& file, uint64_t offset, void* buffer, uint32_t count);

// Appends the whole file to `out`; false, with `out` unchanged, when it does not open as
// a regular file or holds more than `largest` bytes. Read errors in the middle end the
// read quietly with what was read so far.
bool appendFileContents(const char* path, NarrowString& out, uint32_t largest);

}  // namespace oru::platform
