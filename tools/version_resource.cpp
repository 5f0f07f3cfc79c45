// The version resource: the strings Explorer lists, and the numeric block it shows as
// the file and product version.
#include <cstdint>

#include "launcher_resources.h"

#include "support/little_endian.h"
namespace oru::tools {

namespace {

const char* const kVersionKeys[] = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
    "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild",
};

void padTo4(std::string& out) { out.resize((out.size() + 3) / 4 * 4, '\0'); }

// UTF-8 to UTF-16 with surrogate pairs; false on a malformed sequence.
bool toUtf16(const std::string& text, std::u16string& out) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC2 ? 1
                                         : -1;
        if (extra < 0 || lead > 0xF4 || text.size() - i <= static_cast<size_t>(extra)) return false;
        uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        if (code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += 1 + extra;
    }
    return true;
}

void appendText(std::string& out, const std::u16string& text) {
    for (char16_t unit : text) append16(out, unit);
    append16(out, 0);
}

// One node of the version tree: length, value length, type, key, value, children, each
// part starting on a 4-byte boundary. The length leaves out trailing padding.
std::string node(const std::u16string& key, const std::string& value, uint32_t valueLength,
                 uint32_t type, const std::string& children = std::string()) {
    std::string out(6, '\0');
    appendText(out, key);
    padTo4(out);
    out += value;
    if (!children.empty()) {
        padTo4(out);
        out += children;
    }
    set16(out, 0, static_cast<uint32_t>(out.size()));
    set16(out, 2, valueLength);
    set16(out, 4, type);
    return out;
}

// "1.2.3.4" (up to four numbers, what follows them ignored) as the two 32-bit halves of
// the numeric block. False when the text does not start with a number of 0 to 65535.
bool parseVersion(const std::string& text, uint32_t& high, uint32_t& low) {
    uint32_t parts[4] = {0, 0, 0, 0};
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9') return part > 0;
        uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
            if (value > 65535) return false;
        }
        parts[part] = value;
        high = parts[0] << 16 | parts[1];
        low = parts[2] << 16 | parts[3];
        if (at >= text.size() || text[at] != '.') return true;
        ++at;
    }
    return true;
}

std::string fixedInfo(uint32_t fileHigh, uint32_t fileLow, uint32_t productHigh,
                      uint32_t productLow) {
    std::string out;
    append32(out, 0xFEEF04BD);  // signature
    append32(out, 0x00010000);  // structure version 1.0
    append32(out, fileHigh);
    append32(out, fileLow);
    append32(out, productHigh);
    append32(out, productLow);
    append32(out, 0x3F);        // every flag is meaningful
    append32(out, 0);           // and none is set
    append32(out, 0x00040004);  // Windows NT, 32-bit API
    append32(out, 1);           // an application
    append32(out, 0);
    append32(out, 0);  // no file date
    append32(out, 0);
    return out;
}

const char* canonicalKey(const std::string& key) {
    for (const char* known : kVersionKeys) {
        if (key.size() != std::char_traits<char>::length(known)) continue;
        bool same = true;
        for (size_t i = 0; i < key.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(key[i])) ==
                   std::tolower(static_cast<unsigned char>(known[i]));
        if (same) return known;
    }
    return nullptr;
}

}  // namespace

bool versionResource(const std::vector<std::string>& lines, std::string& resource,
                     std::string& error) {
    std::string strings, fileVersion, productVersion;
    std::vector<std::string> seen;
    for (const std::string& line : lines) {
        const size_t eq = line.find('=');
        const char* key = eq == std::string::npos ? nullptr : canonicalKey(line.substr(0, eq));
        if (!key) {
            error = "--version-info \"" + line +
                    "\": expected KEY=VALUE with a key such as "
                    "FileDescription, ProductName, CompanyName, FileVersion, ProductVersion or "
                    "LegalCopyright";
            return false;
        }
        for (const std::string& earlier : seen) {
            if (earlier == key) {
                error = "--version-info gives " + earlier + " twice";
                return false;
            }
        }
        seen.push_back(key);
        const std::string value = line.substr(eq + 1);
        std::u16string key16, value16;
        if (!toUtf16(value, value16)) {
            error = "--version-info " + std::string(key) + ": the value is not UTF-8";
            return false;
        }
        toUtf16(key, key16);
        if (key16 == u"FileVersion") fileVersion = value;
        if (key16 == u"ProductVersion") productVersion = value;
        std::string text;
        appendText(text, value16);
        padTo4(strings);
        strings += node(key16, text, static_cast<uint32_t>(value16.size() + 1), 1);
    }
    uint32_t fileHigh = 0, fileLow = 0, productHigh = 0, productLow = 0;
    const struct {
        const char* name;
        const std::string& text;
        uint32_t& high;
        uint32_t& low;
    } numbers[] = {{"FileVersion", fileVersion, fileHigh, fileLow},
                   {"ProductVersion", productVersion, productHigh, productLow}};
    for (const auto& number : numbers) {
        if (!number.text.empty() && !parseVersion(number.text, number.high, number.low)) {
            error = std::string("--version-info ") + number.name + " \"" + number.text +
                    "\" does not start with a version such as 1.2.3.4 (each number at most 65535)";
            return false;
        }
    }
    // Without a product version of its own, the product carries the file's.
    if (productVersion.empty()) {
        productHigh = fileHigh;
        productLow = fileLow;
    }
    const std::string table = node(u"040904B0", "", 0, 1, strings);
    std::string translation;
    append16(translation, 0x0409);  // US English
    append16(translation, 1200);    // UTF-16
    std::string children = node(u"StringFileInfo", "", 0, 1, table);
    padTo4(children);
    children += node(u"VarFileInfo", "", 0, 1, node(u"Translation", translation, 4, 0));
    resource = node(u"VS_VERSION_INFO", fixedInfo(fileHigh, fileLow, productHigh, productLow), 52,
                    0, children);
    // Every length in the tree is 16 bits wide, and none is larger than the whole's.
    if (resource.size() > 0xFFFF) {
        error = "--version-info: the version strings take " + std::to_string(resource.size()) +
                " bytes as a version resource; it holds at most 65535";
        return false;
    }
    return true;
}

}  // namespace oru::tools
