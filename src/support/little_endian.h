// Little-endian fields of ZIP and Windows file formats, read from bytes and written into
// byte strings: the one rule the launcher's readers and oru-pack's writers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace oru {

inline uint16_t readU16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t readU32(const unsigned char* p) {
    return static_cast<uint32_t>(readU16(p)) | (static_cast<uint32_t>(readU16(p + 2)) << 16);
}

inline uint64_t readU64(const unsigned char* p) {
    return static_cast<uint64_t>(readU32(p)) | (static_cast<uint64_t>(readU32(p + 4)) << 32);
}

// The fields at `at` of `bytes`, which must hold them.
inline uint32_t get16(const std::string& bytes, size_t at) {
    return readU16(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}

inline uint32_t get32(const std::string& bytes, size_t at) {
    return readU32(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}

// Writes the low 16 or all 32 bits of `value` over the bytes at `at`; throws
// std::out_of_range when `bytes` is too short.
inline void set16(std::string& bytes, size_t at, uint32_t value) {
    bytes.at(at) = static_cast<char>(value & 0xFF);
    bytes.at(at + 1) = static_cast<char>((value >> 8) & 0xFF);
}

inline void set32(std::string& bytes, size_t at, uint32_t value) {
    set16(bytes, at, value & 0xFFFF);
    set16(bytes, at + 2, value >> 16);
}

inline void append16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void append32(std::string& out, uint32_t value) {
    append16(out, value & 0xFFFF);
    append16(out, value >> 16);
}

}  // namespace oru
