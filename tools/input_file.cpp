// Opening and reading the files a user names to oru-pack.
#include "input_file.h"

#include <filesystem>

namespace oru::tools {

bool InputFile::open(const std::string& path, uint64_t largest, std::string& error) {
    if (!file_.open(path.c_str())) {
        // Why it did not open, told without opening it: a FIFO's open could wait.
        std::error_code failure;
        const auto status = std::filesystem::status(path, failure);
        error = "cannot read " + path;
        if (!failure && std::filesystem::exists(status)) error += ": not a regular file";
        return false;
    }
    if (!file_.size(size_) || size_ > largest) {
        file_.close();
        error = path + " is larger than " + std::to_string(largest) + " bytes";
        return false;
    }
    return true;
}

namespace {

// Reads `count` bytes from the start of the input at `path` into `bytes`.
bool readStart(const std::string& path, uint64_t largest, uint64_t count, std::string& bytes,
               std::string& error) {
    InputFile input;
    if (!input.open(path, largest, error)) return false;
    bytes.assign(static_cast<size_t>(count < input.size() ? count : input.size()), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const int n =
            input.read(&bytes[done], left > (1u << 30) ? 1 << 30 : static_cast<int>(left));
        if (n <= 0) {
            error = "cannot read " + path + (n < 0 ? "" : ": it became shorter while read");
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool readInputFile(const std::string& path, uint64_t largest, std::string& bytes,
                   std::string& error) {
    return readStart(path, largest, largest, bytes, error);
}

bool readInputStart(const std::string& path, uint64_t largest, uint32_t count, std::string& bytes,
                    std::string& error) {
    return readStart(path, largest, count, bytes, error);
}

}  // namespace oru::tools
