// UTF-16 to and from the user's locale encoding, standing in for the ANSI code page
// conversions on Linux: UTF-8 directly, any other encoding through iconv.
// Only Linux code belongs in this file.
#include "platform/text_codec.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

namespace oru::platform {

namespace {

// Appends one code point as UTF-8 when it fits; returns the bytes it takes.
int putUtf8(uint32_t cp, char* out, int pos, int capacity) {
    unsigned char bytes[4];
    int n;
    if (cp < 0x80) {
        bytes[0] = static_cast<unsigned char>(cp);
        n = 1;
    } else if (cp < 0x800) {
        bytes[0] = 0xC0 | (cp >> 6);
        bytes[1] = 0x80 | (cp & 0x3F);
        n = 2;
    } else if (cp < 0x10000) {
        bytes[0] = 0xE0 | (cp >> 12);
        bytes[1] = 0x80 | ((cp >> 6) & 0x3F);
        bytes[2] = 0x80 | (cp & 0x3F);
        n = 3;
    } else {
        bytes[0] = 0xF0 | (cp >> 18);
        bytes[1] = 0x80 | ((cp >> 12) & 0x3F);
        bytes[2] = 0x80 | ((cp >> 6) & 0x3F);
        bytes[3] = 0x80 | (cp & 0x3F);
        n = 4;
    }
    if (out && pos + n <= capacity) std::memcpy(out + pos, bytes, static_cast<size_t>(n));
    return n;
}

// What takeUtf8 returns for a byte that starts no well-formed sequence.
constexpr uint32_t kMalformed = 0x110000;

// Decodes one UTF-8 sequence at `in[i]`; malformed input gives kMalformed for one byte.
uint32_t takeUtf8(const unsigned char* in, int count, int& i) {
    unsigned char lead = in[i++];
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (extra < 0 || lead >= 0xF5 || i + extra > count) return kMalformed;
    uint32_t cp = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if ((in[i + k] & 0xC0) != 0x80) return kMalformed;
        cp = (cp << 6) | (in[i + k] & 0x3F);
    }
    static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return kMalformed;
    i += extra;
    return cp;
}

int wideLength(const char16_t* units) {
    int n = 0;
    while (units[n]) ++n;
    return n;
}

// `lost`, when given, is set when a lone surrogate had to become "?".
int utf16ToUtf8(const char16_t* units, int count, char* out, int capacity, bool* lost = nullptr) {
    int written = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t cp = units[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = '?';  // a lone surrogate has no narrow form
            if (lost) *lost = true;
        }
        int n = putUtf8(cp, out, written, capacity);
        if (capacity > 0 && written + n > capacity) return 0;
        written += n;
    }
    return written;
}

// `lost`, when given, is set when a malformed byte had to become U+FFFD.
int utf8ToUtf16(const char* bytes, int count, char16_t* out, int capacity, bool* lost = nullptr) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    int written = 0;
    for (int i = 0; i < count;) {
        uint32_t cp = takeUtf8(in, count, i);
        if (cp == kMalformed) {
            cp = 0xFFFD;
            if (lost) *lost = true;
        }
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

iconv_t noDescriptor() { return reinterpret_cast<iconv_t>(-1); }

constexpr const char* kUtf16 = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-16LE" : "UTF-16BE";

// The encoding of the user's locale (LC_ALL, LC_CTYPE, LANG), chosen once. UTF-8 and the
// plain ASCII of the C locale are converted directly, as UTF-8; any other encoding (Big5,
// GBK, ...) through a pair of iconv descriptors. Never destroyed: the virtual machine's
// daemon threads may still convert names while the process exits.
class LocaleEncoding {
public:
    static LocaleEncoding& instance() {
        static LocaleEncoding* encoding = new LocaleEncoding;
        return *encoding;
    }
    bool isUtf8() const { return toNarrow_ == noDescriptor(); }

    // Converts `size` bytes of UTF-16 to the locale's encoding ("?" for what it lacks,
    // and then `lost`, when given, is set).
    std::string narrow(const char16_t* units, size_t size, bool* lost = nullptr) {
        std::lock_guard<std::mutex> hold(lock_);
        return convert(toNarrow_, reinterpret_cast<const char*>(units), size * 2, true, lost);
    }
    // Converts `size` bytes of the locale's encoding to UTF-16 (U+FFFD for invalid bytes).
    std::u16string widen(const char* bytes, size_t size) {
        std::lock_guard<std::mutex> hold(lock_);
        std::string raw = convert(toWide_, bytes, size, false);
        return std::u16string(reinterpret_cast<const char16_t*>(raw.data()), raw.size() / 2);
    }

private:
    LocaleEncoding() {
        std::string codeset = "UTF-8";
        // A locale of its own, so that the process's locale (the virtual machine sets
        // it too) is left alone.
        if (locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
            codeset = nl_langinfo_l(CODESET, user);
            freelocale(user);
        }
        if (codeset == "UTF-8" || codeset == "ANSI_X3.4-1968") return;
        toNarrow_ = iconv_open(codeset.c_str(), kUtf16);
        toWide_ = iconv_open(kUtf16, codeset.c_str());
        if (toNarrow_ == noDescriptor() || toWide_ == noDescriptor()) {
            if (toNarrow_ != noDescriptor()) iconv_close(toNarrow_);
            if (toWide_ != noDescriptor()) iconv_close(toWide_);
            toNarrow_ = toWide_ = noDescriptor();
        }
    }

    // Runs `cd` over the whole input, then lets it end its shift state. What it cannot
    // convert becomes a replacement: one UTF-16 unit (two for a surrogate pair) gives
    // "?", one byte gives U+FFFD.
    static std::string convert(iconv_t cd, const char* in, size_t size, bool fromUtf16,
                               bool* lost = nullptr) {
        static const char16_t kReplacementCharacter = 0xFFFD;
        const std::string replacement =
            fromUtf16 ? std::string("?")
                      : std::string(reinterpret_cast<const char*>(&kReplacementCharacter), 2);
        std::string out;
        char buffer[1024];
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        auto* next = const_cast<char*>(in);
        size_t left = size;
        for (bool ended = false; !ended;) {
            char* to = buffer;
            size_t room = sizeof buffer;
            size_t result;
            if (left > 0) {
                result = iconv(cd, &next, &left, &to, &room);
            } else {
                result = iconv(cd, nullptr, nullptr, &to, &room);
                ended = result != static_cast<size_t>(-1);
            }
            out.append(buffer, static_cast<size_t>(to - buffer));
            if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
            if (left == 0) break;
            out += replacement;
            if (lost) *lost = true;
            size_t skip = fromUtf16 ? (isSurrogatePair(next, left) ? 4 : 2) : 1;
            skip = skip < left ? skip : left;
            next += skip;
            left -= skip;
        }
        return out;
    }

    static bool isSurrogatePair(const char* at, size_t left) {
        if (left < 4) return false;
        char16_t units[2];
        std::memcpy(units, at, sizeof units);
        return units[0] >= 0xD800 && units[0] < 0xDC00 && units[1] >= 0xDC00 && units[1] < 0xE000;
    }

    std::mutex lock_;  // one conversion at a time: a descriptor keeps state
    iconv_t toNarrow_ = noDescriptor();
    iconv_t toWide_ = noDescriptor();
};

// Copies a converted text into the caller's buffer as the Windows calls do: the size
// needed when `capacity` is 0, 0 when it does not fit, the count written otherwise.
template <typename Unit, typename Text>
int deliver(const Text& text, Unit* out, int capacity) {
    if (text.size() > static_cast<size_t>(INT_MAX)) return 0;
    const int size = static_cast<int>(text.size());
    if (capacity == 0) return size;
    if (size > capacity) return 0;
    std::memcpy(out, text.data(), text.size() * sizeof(Unit));
    return size;
}

}  // namespace

int wideToNarrow(const char16_t* units, int count, char* out, int capacity) {
    if (!units || count == 0 || count < -1 || capacity < 0) return 0;
    if (count == -1) count = wideLength(units) + 1;
    LocaleEncoding& encoding = LocaleEncoding::instance();
    if (encoding.isUtf8()) return utf16ToUtf8(units, count, out, capacity);
    return deliver(encoding.narrow(units, static_cast<size_t>(count)), out, capacity);
}

int narrowToWide(const char* bytes, int count, char16_t* out, int capacity) {
    if (!bytes || count == 0 || count < -1 || capacity < 0) return 0;
    if (count == -1) count = static_cast<int>(std::strlen(bytes)) + 1;
    LocaleEncoding& encoding = LocaleEncoding::instance();
    if (encoding.isUtf8()) return utf8ToUtf16(bytes, count, out, capacity);
    return deliver(encoding.widen(bytes, static_cast<size_t>(count)), out, capacity);
}

bool wideToNarrowExactly(const char16_t* units, int count, NarrowString& out) {
    out.resize(0);
    if (count < 0) count = wideLength(units);
    LocaleEncoding& encoding = LocaleEncoding::instance();
    if (encoding.isUtf8()) return appendUtf8(out, units, count);
    bool lost = false;
    const std::string text = encoding.narrow(units, static_cast<size_t>(count), &lost);
    if (text.size() > static_cast<size_t>(INT_MAX)) return false;
    out.append(text.data(), static_cast<int>(text.size()));
    return !lost;
}

bool appendUtf8(NarrowString& out, const char16_t* units, int count) {
    bool lost = false;
    const int size = utf16ToUtf8(units, count, nullptr, 0, &lost);
    if (lost) return false;
    const int start = out.length();
    out.resize(start + size);
    utf16ToUtf8(units, count, out.data() + start, size);
    return true;
}

bool utf8ToUtf16(const char* bytes, int count, WideString& out) {
    bool lost = false;
    const int size = utf8ToUtf16(bytes, count, nullptr, 0, &lost);
    out.resize(lost ? 0 : size);
    if (!lost && size > 0) utf8ToUtf16(bytes, count, out.data(), size);
    return !lost;
}

}  // namespace oru::platform
