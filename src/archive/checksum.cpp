// updateCrc32: folding by carry-less multiplication ("Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ", Intel, 2009), with the constants of the bit-reflected
// ZIP polynomial, and zlib for the rest.
#include "archive/checksum.h"

#include <zlib.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define ORU_FOLDING_CRC 1
#endif

namespace oru {

#ifdef ORU_FOLDING_CRC
namespace {

// x^(4*128+32), x^(4*128-32) mod P: folds four lanes 64 bytes on.
alignas(16) const uint64_t kFold4[2] = {0x154442bd4, 0x1c6e41596};
// x^(128+32), x^(128-32) mod P: folds one lane 16 bytes on.
alignas(16) const uint64_t kFold1[2] = {0x1751997d0, 0x0ccaa009e};
// x^64 mod P: 64 bits to 32 + 32.
alignas(16) const uint64_t kFold64[2] = {0x163cd6124, 0};
// P and floor(x^64 / P), for the Barrett reduction to the last 32 bits.
alignas(16) const uint64_t kBarrett[2] = {0x1db710641, 0x1f7011641};

#define ORU_FOLDING __attribute__((target("pclmul,sse2")))

ORU_FOLDING inline __m128i load(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

ORU_FOLDING inline __m128i constants(const uint64_t* pair) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(pair));
}

// One lane moved on by the distance that `k` encodes, with the data there added.
ORU_FOLDING inline __m128i step(__m128i lane, __m128i k, __m128i data) {
    return _mm_xor_si128(
        _mm_xor_si128(_mm_clmulepi64_si128(lane, k, 0x00), _mm_clmulepi64_si128(lane, k, 0x11)),
        data);
}

// The inverted CRC (zlib's internal form) after `crc` and `length` bytes, a multiple of
// 16 and at least 64.
ORU_FOLDING uint32_t fold(uint32_t crc, const unsigned char* p, size_t length) {
    __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = load(p + 16), x3 = load(p + 32), x4 = load(p + 48);
    __m128i k = constants(kFold4);
    for (p += 64, length -= 64; length >= 64; p += 64, length -= 64) {
        x1 = step(x1, k, load(p));
        x2 = step(x2, k, load(p + 16));
        x3 = step(x3, k, load(p + 32));
        x4 = step(x4, k, load(p + 48));
    }
    k = constants(kFold1);
    x1 = step(step(step(x1, k, x2), k, x3), k, x4);
    for (; length >= 16; p += 16, length -= 16) x1 = step(x1, k, load(p));

    // 128 bits to 64, then to 32 by Barrett reduction.
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k, 0x10));
    k = constants(kFold64);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 4),
                       _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x00));
    k = constants(kBarrett);
    __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), k, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), k, 0x00);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(_mm_xor_si128(x1, t), 4)));
}

// Asked of the processor itself (libgcc's table of processor models is several KB), once,
// before main; a checksum taken earlier still comes out right, from zlib.
bool processorCanFold() {
    unsigned int a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_PCLMUL) && (d & bit_SSE2);
}
const bool kCanFold = processorCanFold();

}  // namespace
#endif

uint32_t updateCrc32(uint32_t crc, const unsigned char* bytes, size_t length) {
#ifdef ORU_FOLDING_CRC
    if (kCanFold && length >= 64) {
        const size_t folded = length & ~static_cast<size_t>(15);
        crc = ~fold(~crc, bytes, folded);
        bytes += folded;
        length -= folded;
    }
#endif
    // zlib takes at most 4 GiB - 1 bytes a call.
    while (length > 0) {
        const uInt piece = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        crc = static_cast<uint32_t>(::crc32(crc, bytes, piece));
        bytes += piece;
        length -= piece;
    }
    return crc;
}

}  // namespace oru
