// updateCrc32: the ZIP checksum of data read in pieces, as fast as the processor allows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace oru {

// The CRC-32 of the bytes so far (`crc`, 0 at first) extended by `length` bytes at
// `bytes`, as zlib's crc32 gives it. Carry-less multiplication folds 64 bytes a step where
// the processor has it (every x86 processor since 2010); elsewhere, and for the last
// bytes, zlib's tables.
uint32_t updateCrc32(uint32_t crc, const unsigned char* bytes, size_t length);

}  // namespace oru
