// ZipWriter: builds ZIP archives in memory, for the packer and for tests that craft archives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oru::tools {

enum class ZipMethod : uint16_t { kStored = 0, kDeflated = 8 };

class ZipWriter {
public:
    // Adds an entry; names use "/" as the ZIP format wants. A name ending in "/" is a
    // directory entry.
    void add(const std::string& name, const std::string& data,
             ZipMethod method = ZipMethod::kDeflated);
    // The archive bytes: local records, central directory, end record with `comment`.
    // Offsets count from the archive's first byte.
    std::string finish(const std::string& comment = std::string()) const;

    struct Entry {
        std::string name;
        std::string stored;  // the bytes as written (compressed or not)
        uint32_t crc = 0;
        uint32_t size = 0;
        ZipMethod method = ZipMethod::kStored;
    };
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// Raw deflate (no zlib header) of `data` at the best compression.
std::string deflateRaw(const std::string& data);

// Little-endian field writers shared with code that crafts records by hand.
void putU16(std::string& out, uint32_t value);
void putU32(std::string& out, uint32_t value);

}  // namespace oru::tools
