// zlib's crc32, defined here for the Windows launcher: the library's own comes with 5 KB
// of precomputed tables that every packed application would carry. Its four tables
// (slicing by four bytes) are made when the program starts, in zero-filled memory.
#include <zlib.h>

#include <cstdint>

namespace {

uint32_t tables[4][256];

struct TableMaker {
    TableMaker() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            tables[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (int t = 1; t < 4; ++t)
                tables[t][n] = (tables[t - 1][n] >> 8) ^ tables[0][tables[t - 1][n] & 0xFF];
    }
} const tableMaker;

}  // namespace

extern "C" uLong ZEXPORT crc32(uLong start, const Bytef* bytes, uInt length) {
    if (!bytes) return 0;
    uint32_t crc = ~static_cast<uint32_t>(start);
    for (; length >= 4; bytes += 4, length -= 4) {
        crc ^= bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
        crc = tables[3][crc & 0xFF] ^ tables[2][crc >> 8 & 0xFF] ^ tables[1][crc >> 16 & 0xFF] ^
              tables[0][crc >> 24];
    }
    for (; length > 0; --length) crc = tables[0][(crc ^ *bytes++) & 0xFF] ^ crc >> 8;
    return ~crc;
}
