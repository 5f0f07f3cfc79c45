// The text of "oru:" URLs: escaping entry names, and reading URL texts back.
#include "bridge/resource_urls.h"

#include <cstring>

#include "support/utf8.h"
#include "support/wide_string.h"

namespace oru {

namespace {

// Whether a URI must carry byte `c` of a name as an escape, as the JDK's jar: URLs do,
// and "+", which form decoders read as a space.
bool needsEscape(unsigned char c) {
    return c <= 0x20 || c >= 0x7F || std::strchr("%\"<>\\^`{|}#?+", c) != nullptr;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

enum class UrlForm { kWritten, kOlder, kMalformed };

// Decodes the "%XX" escapes (and "+") of `text` into `decoded`, and says which form the
// text has.
UrlForm decodeEscapes(const NarrowString& text, NarrowString& decoded) {
    UrlForm form = UrlForm::kWritten;
    const char* bytes = text.c_str();
    const int length = text.length();
    decoded.clear();
    for (int i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c != '%') {
            if (c != '/' && needsEscape(static_cast<unsigned char>(c))) form = UrlForm::kOlder;
            // Only an older text holds a "+", which such texts read as a space.
            decoded += c == '+' ? ' ' : c;
            continue;
        }
        const int high = length - i > 2 ? hexValue(bytes[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(bytes[i + 2]) : -1;
        if (low < 0) return UrlForm::kMalformed;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return form;
}

bool sameBytes(const NarrowString& a, const NarrowString& b) {
    return a.length() == b.length() &&
           std::memcmp(a.c_str(), b.c_str(), static_cast<size_t>(a.length())) == 0;
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

NarrowString foldDotSegments(const NarrowString& name) {
    int start = name.length();
    while (start > 0 && name.byteAt(start - 1) != '!') --start;
    NarrowString out = name.left(start);
    bool folded = false;
    for (int i = start; i <= name.length();) {
        int end = i;
        while (end < name.length() && name.byteAt(end) != '\\' && name.byteAt(end) != '/') ++end;
        const NarrowString segment = name.mid(i, end - i);
        if (segment == "." || segment == "..") {
            folded = true;
            // Every folder kept so far ends in "\": ".." drops the last one.
            int cut = out.length() - 1;
            while (cut > start && out.byteAt(cut - 1) != '\\') --cut;
            if (segment == ".." && out.length() > start) out.resize(cut);
        } else {
            out += segment;
            if (end < name.length()) out += '\\';
        }
        i = end + 1;
    }
    return folded ? out : name;
}

int resourceUrlNames(const NarrowString& text, NarrowString names[2]) {
    NarrowString decoded;
    const UrlForm form = decodeEscapes(text, decoded);
    WideString checked;
    if (form == UrlForm::kMalformed || !utf8ToUtf16(decoded.c_str(), decoded.length(), checked)) {
        names[0] = text;
        return 1;
    }
    decoded = foldDotSegments(decoded);
    const bool written = form == UrlForm::kWritten;
    names[0] = written ? decoded : text;
    names[1] = written ? text : decoded;
    return sameBytes(decoded, text) ? 1 : 2;
}

}  // namespace oru
