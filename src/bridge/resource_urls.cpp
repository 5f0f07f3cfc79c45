// The text of "oru:" URLs: escaping entry names, and reading URL texts back.
#include "bridge/resource_urls.h"

#include <cstdint>

namespace oru {

namespace {

// Whether a URI must carry byte `c` of a name as an escape, as the JDK's jar: URLs do
// (controls, space, non-ASCII, and %"<>\^`{|}#?), and "+", which form decoders read as a
// space. Bit n of kEscaped[k] stands for the byte 32 * k + n.
constexpr uint32_t kEscaped[4] = {0xFFFFFFFF, 0xD000082D, 0x50000000, 0xB8000001};

bool needsEscape(unsigned char c) { return c >= 0x7F || (kEscaped[c >> 5] >> (c & 31) & 1); }

// `name` with "." and ".." segments after its last "!" folded away ("a\..\b" gives "b");
// unchanged when it has none.
NarrowString foldDotSegments(const NarrowString& name) {
    const char* bytes = name.c_str();
    const int length = name.length();
    int start = length;
    while (start > 0 && bytes[start - 1] != '!') --start;
    NarrowString out = name.left(start);
    bool folded = false;
    for (int i = start; i <= length;) {
        int end = i;
        while (end < length && bytes[end] != '\\' && bytes[end] != '/') ++end;
        const int n = end - i;
        const int dots = n > 0 && n <= 2 && bytes[i] == '.' && bytes[end - 1] == '.' ? n : 0;
        folded |= dots > 0;
        if (dots == 2) {
            // Every folder kept so far ends in "\": ".." drops the last one.
            int cut = out.length() - 1;
            while (cut > start && out.byteAt(cut - 1) != '\\') --cut;
            if (out.length() > start) out.resize(cut);
        } else if (dots == 0) {
            out.append(bytes + i, end - i);
            if (end < length) out += '\\';
        }
        i = end + 1;
    }
    return folded ? out : name;
}

}  // namespace

NarrowString resourceUrlText(const NarrowString& composedName) {
    static const char kHex[] = "0123456789ABCDEF";
    NarrowString text("oru:");
    for (int i = 0; i < composedName.length(); ++i) {
        const auto c = static_cast<unsigned char>(composedName.byteAt(i));
        if (c == '\\') {
            text += '/';
        } else if (needsEscape(c)) {
            const char escape[3] = {'%', kHex[c >> 4], kHex[c & 15]};
            text.append(escape, 3);
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

UrlForm decodeUrlText(const NarrowString& text, NarrowString& decoded) {
    UrlForm form = UrlForm::kWritten;
    const char* bytes = text.c_str();
    const int length = text.length();
    decoded.resize(length);
    char* out = decoded.data();
    for (int i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c != '%') {
            if (c != '/' && needsEscape(static_cast<unsigned char>(c))) form = UrlForm::kOlder;
            // Only an older text holds a "+", which such texts read as a space.
            *out++ = c == '+' ? ' ' : c;
            continue;
        }
        // Two hexadecimal digits; the text's terminating NUL ends it as any non-digit.
        int value = 0;
        for (int k = 0; k < 2; ++k) {
            const char h = bytes[++i];
            const int letter = h | 0x20;  // in lower case
            const int digit = h >= '0' && h <= '9'             ? h - '0'
                              : letter >= 'a' && letter <= 'f' ? letter - 'a' + 10
                                                               : -1;
            if (digit < 0) return UrlForm::kMalformed;
            value = value * 16 + digit;
        }
        *out++ = static_cast<char>(value);
    }
    decoded.resize(static_cast<int>(out - decoded.data()));
    decoded = foldDotSegments(decoded);
    return form;
}

}  // namespace oru
