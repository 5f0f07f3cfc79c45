// Little-endian fields of Windows file formats, read from and written into byte strings.
#pragma once

#include <cstdint>
#include <string>

namespace oru::tools {

inline uint32_t get16(const std::string& bytes, size_t at) {
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
}

inline uint32_t get32(const std::string& bytes, size_t at) {
    return get16(bytes, at) | get16(bytes, at + 2) << 16;
}

inline void set16(std::string& bytes, size_t at, uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

inline void set32(std::string& bytes, size_t at, uint32_t value) {
    set16(bytes, at, value & 0xFFFF);
    set16(bytes, at + 2, value >> 16);
}

inline void append16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}

inline void append32(std::string& out, uint32_t value) {
    append16(out, value & 0xFFFF);
    append16(out, value >> 16);
}

}  // namespace oru::tools
