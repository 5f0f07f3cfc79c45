// libFuzzer target: arbitrary bytes read as a jar's manifest, with an allowance as the
// archive store gives one, then asked for main attributes, for the attributes named in the
// input, and in the sections it names; and read again with its line ends changed.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/manifest.h"

namespace {

using oru::JarManifest;
using oru::ManifestValue;
using oru::NarrowString;

constexpr size_t kLargestInput = 1 << 20;
constexpr size_t kLargestQueries = 48;
constexpr size_t kLongestName = 70;  // java's; the launcher asks for constant names only

void check(bool condition) {
    if (!condition) std::abort();
}

std::string caseFlipped(std::string name) {
    for (char& c : name)
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') c ^= 0x20;
    return name;
}

// The names an attribute is asked for: the launcher's, and those before a ": " in the
// input. The sections: what follows each "Name: ", its continuation lines joined.
struct Queries {
    std::vector<std::string> names = {"Manifest-Version", "Main-Class", "Class-Path",
                                      "Multi-Release",    "Sealed",     "Add-Opens"};
    std::vector<NarrowString> sections;
};

// The text from `at` to the end of its line and of the continuation lines after it.
NarrowString joinedLine(const std::string& text, size_t at) {
    NarrowString joined;
    for (size_t start = at;;) {
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        joined.append(text.data() + start, static_cast<int>(end - start));
        size_t next = end + 1;
        if (next < text.size() && text[end] == '\r' && text[next] == '\n') ++next;
        if (next >= text.size() || text[next] != ' ') return joined;
        start = next + 1;
    }
}

Queries queriesOf(const std::string& text) {
    Queries queries;
    size_t at = 0;
    for (size_t n = 0; n < kLargestQueries && (at = text.find(": ", at)) != std::string::npos;
         ++n, at += 2) {
        size_t start = at;
        while (start > 0 && at - start <= kLongestName && text[start - 1] != '\r' &&
               text[start - 1] != '\n')
            --start;
        const std::string name = text.substr(start, at - start);
        if (name.size() == 4 && (name[0] | 0x20) == 'n' && (name[1] | 0x20) == 'a' &&
            (name[2] | 0x20) == 'm' && (name[3] | 0x20) == 'e')
            queries.sections.push_back(joinedLine(text, at + 2));
        else if (name.size() <= kLongestName && name.find('\0') == std::string::npos)
            queries.names.push_back(name);
    }
    return queries;
}

// Every byte of a value is read (the sanitizers see a value outside what the manifest
// keeps); a value holds no line end, and the same answer comes for the name in any case.
// "" when absent, else "=" and the value.
std::string lookUp(const JarManifest& manifest, const NarrowString* section,
                   const std::string& name) {
    ManifestValue value;
    if (!manifest.find(section, name.c_str(), value)) return "";
    const std::string bytes(value.bytes, value.length);
    check(bytes.find_first_of("\r\n") == std::string::npos);
    ManifestValue flipped;
    check(manifest.find(section, caseFlipped(name).c_str(), flipped) &&
          flipped.bytes == value.bytes && flipped.length == value.length);
    return "=" + bytes;
}

// Every answer of `manifest`, in order; a package's attribute is its section's, else the
// main section's.
std::vector<std::string> answers(const JarManifest& manifest, const Queries& queries) {
    std::vector<std::string> all;
    for (const std::string& name : queries.names) {
        const std::string main = lookUp(manifest, nullptr, name);
        all.push_back(main);
        for (const NarrowString& section : queries.sections) {
            all.push_back(lookUp(manifest, &section, name));
            const std::string& expected = all.back().empty() ? main : all.back();
            ManifestValue value;
            if (manifest.findForPackage(section, name.c_str(), value))
                check(expected == "=" + std::string(value.bytes, value.length));
            else
                check(expected.empty());
        }
    }
    return all;
}

// What a read says of itself: a line where java stops exactly when it refuses the text, a
// valid manifest's main section read whole, and memory kept of at most a record per four
// bytes of text (the shortest attribute line, "A: " and its end) and the text.
void checkVerdict(const JarManifest& manifest, size_t size) {
    check(manifest.valid() == (manifest.outcome() == JarManifest::Outcome::kValid));
    check(manifest.valid() == (manifest.errorLine() == 0));
    check(manifest.valid() == (*JarManifest::describe(manifest.outcome()) == '\0'));
    if (manifest.valid()) check(manifest.mainSectionValid());
    const uint64_t record = sizeof(JarManifest::Attribute);
    check(manifest.memoryUse() <= sizeof(JarManifest) + (size / 4 + 1) * record + size + record);
}

// The same text with every line ended by LF alone reads the same (verdict, line, answers)
// while no line comes near java's 512-byte buffer, where a CR and its LF may part.
void checkLineEnds(const std::string& text, const JarManifest& manifest, const Queries& queries,
                   const std::vector<std::string>& expected) {
    std::string lf;
    size_t column = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool end = text[i] == '\r' || text[i] == '\n';
        column = end ? 0 : column + 1;
        if (column > 500) return;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lf += end ? '\n' : text[i];
    }
    JarManifest same;
    same.read(lf.data(), lf.size());
    check(same.outcome() == manifest.outcome() && same.errorLine() == manifest.errorLine() &&
          same.mainSectionValid() == manifest.mainSectionValid());
    check(answers(same, queries) == expected);
}

}  // namespace

// Read without an allowance, then with just what the manifest keeps, which it must take
// whole, and with a byte less, which must leave it empty and the allowance untouched.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kLargestInput) return 0;
    const auto* text = reinterpret_cast<const char*>(data);
    JarManifest unlimited;
    unlimited.read(text, size);
    checkVerdict(unlimited, size);
    const std::string bytes(text, size);
    const Queries queries = queriesOf(bytes);
    const std::vector<std::string> expected = answers(unlimited, queries);
    checkLineEnds(bytes, unlimited, queries, expected);

    const uint64_t kept = unlimited.memoryUse() - sizeof(JarManifest);
    uint64_t allowance = kept;
    JarManifest charged;
    check(charged.read(text, size, &allowance) == unlimited.valid() && allowance == 0);
    check(charged.outcome() == unlimited.outcome() &&
          charged.errorLine() == unlimited.errorLine() &&
          charged.mainSectionValid() == unlimited.mainSectionValid());
    check(answers(charged, queries) == expected);

    allowance = kept - 1;
    JarManifest refused;
    check(!refused.read(text, size, &allowance) && allowance == kept - 1);
    check(refused.outcome() == JarManifest::Outcome::kOverAllowance && !refused.mainSectionValid());
    for (const std::string& answer : answers(refused, queries)) check(answer.empty());
    return 0;
}
