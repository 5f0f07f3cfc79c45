// UTF-16 to UTF-8 and back, strictly, with no replacement characters.
#include "support/utf8.h"

#include <cstdint>

namespace oru {

namespace {

bool isHighSurrogate(uint32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool isLowSurrogate(uint32_t c) { return c >= 0xDC00 && c < 0xE000; }

// The code point of the sequence at `in[i]`, with `i` moved past it; -1 when malformed.
int32_t takeCodePoint(const unsigned char* in, int count, int& i) {
    const unsigned char lead = in[i++];
    if (lead < 0x80) return lead;
    const int tail = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (tail == 0 || count - i < tail) return -1;
    uint32_t c = lead & (0x3Fu >> tail);
    for (int k = 0; k < tail; ++k, ++i) {
        if ((in[i] & 0xC0) != 0x80) return -1;
        c = (c << 6) | (in[i] & 0x3Fu);
    }
    static const uint32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kShortest[tail] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return -1;
    return static_cast<int32_t>(c);
}

}  // namespace

bool appendUtf8(NarrowString& out, const char16_t* units, int count) {
    for (int i = 0; i < count; ++i) {
        uint32_t c = units[i];
        if (isHighSurrogate(c) && i + 1 < count && isLowSurrogate(units[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
        else if (isHighSurrogate(c) || isLowSurrogate(c))
            return false;
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(((0xF0u << (3 - tail)) & 0xFF) | (c >> (6 * tail)));
        for (int k = tail - 1; k >= 0; --k)
            out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return true;
}

bool utf8ToUtf16(const char* bytes, int count, WideString& out) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    out.resize(0);
    for (int i = 0; i < count;) {
        const int32_t c = takeCodePoint(in, count, i);
        if (c < 0) return false;
        char16_t units[2] = {static_cast<char16_t>(c), 0};
        const int n = c >= 0x10000 ? 2 : 1;
        if (n == 2) {
            units[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        out.append(units, n);
    }
    return true;
}

}  // namespace oru
