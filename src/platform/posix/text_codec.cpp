// UTF-16 to and from UTF-8, standing in for the ANSI code page conversions on Linux.
// Only Linux code belongs in this file.
#include "platform/text_codec.h"

#include <cstdint>
#include <cstring>

namespace oru::platform {

namespace {

// Appends one code point as UTF-8 when it fits; returns the bytes it takes.
int putUtf8(uint32_t cp, char* out, int pos, int capacity) {
    unsigned char bytes[4];
    int n;
    if (cp < 0x80) { bytes[0] = static_cast<unsigned char>(cp); n = 1; }
    else if (cp < 0x800) { bytes[0] = 0xC0 | (cp >> 6); bytes[1] = 0x80 | (cp & 0x3F); n = 2; }
    else if (cp < 0x10000) {
        bytes[0] = 0xE0 | (cp >> 12); bytes[1] = 0x80 | ((cp >> 6) & 0x3F);
        bytes[2] = 0x80 | (cp & 0x3F); n = 3;
    } else {
        bytes[0] = 0xF0 | (cp >> 18); bytes[1] = 0x80 | ((cp >> 12) & 0x3F);
        bytes[2] = 0x80 | ((cp >> 6) & 0x3F); bytes[3] = 0x80 | (cp & 0x3F); n = 4;
    }
    if (out && pos + n <= capacity) std::memcpy(out + pos, bytes, static_cast<size_t>(n));
    return n;
}

// Decodes one UTF-8 sequence at `in[i]`; malformed input gives U+FFFD for one byte.
uint32_t takeUtf8(const unsigned char* in, int count, int& i) {
    unsigned char lead = in[i++];
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (extra < 0 || lead >= 0xF5 || i + extra > count) return 0xFFFD;
    uint32_t cp = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if ((in[i + k] & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (in[i + k] & 0x3F);
    }
    static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0xFFFD;
    i += extra;
    return cp;
}

int wideLength(const char16_t* units) {
    int n = 0;
    while (units[n]) ++n;
    return n;
}

}  // namespace

int wideToNarrow(const char16_t* units, int count, char* out, int capacity) {
    if (!units || count == 0 || count < -1 || capacity < 0) return 0;
    if (count == -1) count = wideLength(units) + 1;
    int written = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t cp = units[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = '?';  // a lone surrogate has no narrow form
        }
        int n = putUtf8(cp, out, written, capacity);
        if (capacity > 0 && written + n > capacity) return 0;
        written += n;
    }
    return written;
}

int narrowToWide(const char* bytes, int count, char16_t* out, int capacity) {
    if (!bytes || count == 0 || count < -1 || capacity < 0) return 0;
    if (count == -1) count = static_cast<int>(std::strlen(bytes)) + 1;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    int written = 0;
    for (int i = 0; i < count;) {
        uint32_t cp = takeUtf8(in, count, i);
        int n = cp >= 0x10000 ? 2 : 1;
        if (capacity > 0) {
            if (written + n > capacity) return 0;
            if (n == 2) {
                out[written] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                out[written + 1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                out[written] = static_cast<char16_t>(cp);
            }
        }
        written += n;
    }
    return written;
}

}  // namespace oru::platform
