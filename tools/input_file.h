// The files a user names to oru-pack: regular files only, of a bounded size, never waited for.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace oru::tools {

// The largest archive member (its size is a 32-bit field), and the largest launcher read.
constexpr uint64_t kLargestMember = 0xFFFFFFFF;
constexpr uint64_t kLargestLauncher = 64u << 20;

// An input opened for reading. Only a regular file opens: a FIFO, a device or a
// directory is refused at once, without waiting for a writer or reading without end.
class InputFile {
public:
    // Opens `path`; false with one line in `error` ("cannot read PATH", "cannot read
    // PATH: not a regular file", "PATH is larger than N bytes") otherwise.
    bool open(const std::string& path, uint64_t largest, std::string& error);
    uint32_t size() const { return size_; }
    const platform::ReadOnlyFile& file() const { return file_; }
    // Reads up to `count` bytes at the current position: how many, 0 at the end, -1 on
    // an error.
    int read(void* buffer, int count) { return file_.read(buffer, count); }

private:
    platform::ReadOnlyFile file_;
    uint32_t size_ = 0;
};

// Reads the whole input at `path` into `bytes`; false with one line in `error` as
// InputFile::open says, or when the file cannot be read to its end.
bool readInputFile(const std::string& path, uint64_t largest, std::string& bytes,
                   std::string& error);

// Reads the first `count` bytes of the input at `path` (all of a shorter one) into
// `bytes`; false as readInputFile.
bool readInputStart(const std::string& path, uint64_t largest, uint32_t count, std::string& bytes,
                    std::string& error);

}  // namespace oru::tools
