// JarManifest: what java reads of a manifest, and what it refuses.
#include "archive/manifest.h"

#include <gtest/gtest.h>

#include <string>

#include "manifest_writer.h"

namespace oru {
namespace {

using Outcome = JarManifest::Outcome;

std::string lookUp(const JarManifest& manifest, const char* section, const char* name) {
    const NarrowString named(section);
    ManifestValue value;
    if (!manifest.find(section ? &named : nullptr, name, value)) return "<absent>";
    return std::string(value.bytes, value.length);
}

// One attribute looked up in each manifest (in what was read, when java refuses it), and
// java's verdict with the line where it stops.
TEST(ManifestTest, ReadAsJavaReadsIt) {
    const std::string longValue(507, 'v');  // "A: " + 507 + CRLF: 512 bytes, java's buffer
    const std::string longName = "A" + std::string(256, 'a');  // 257 bytes: 1 in a byte
    struct Case {
        std::string text;
        const char* section;  // null: the main section
        const char* name;
        std::string value;
        Outcome outcome = Outcome::kValid;
        int line = 0;
        bool mainRead = true;  // what decides Multi-Release, whatever comes after it
    } cases[] = {
        {"Manifest-Version: 1.0\r\nImplementation-Version: 1.\r\n 2\r\n", nullptr,
         "implementation-VERSION", "1.2"},
        {"A: x\n y\n  z\n", nullptr, "A", "xy z"},  // one space dropped from each
        {"A: x\r y\rB: 2\r", nullptr, "b", "2"},    // CR alone ends lines
        {"A: 1\nA: 2\n", nullptr, "A", "2"},        // the later one
        {"A: \n", nullptr, "A", ""},
        {std::string("A: a\0b\n", 7), nullptr, "A", std::string("a\0b", 3)},
        {"Title: \xF0\x9F\x98\x80!\n", nullptr, "Title", "\xF0\x9F\x98\x80!"},
        {"A: x\nB: no end", nullptr, "B", "<absent>"},  // a last line without an end
        {"A: x\nB: y\n z", nullptr, "B", "<absent>"},
        // Sections: the main one ends at the first empty line; others start with "Name: ".
        {"A: 1\r\n\r\nName: p/\r\nA: 2\r\n", "p/", "A", "2"},
        {"A: 1\r\n\r\nName: p/\r\nA: 2\r\n", nullptr, "A", "1"},
        {"A: 1\n\nName: p/\nB: 2\n", "p/", "A", "<absent>"},
        {"A: 1\n\nName: p/\nB: 2\n", "q/", "B", "<absent>"},
        {"A: 1\n\nName: p/\nB: 2\n\nName: q/\nB: 3\n\nName: p/\nC: 4\n", "p/", "C", "4"},
        {"\n\n\nnAmE: lo\n ng/\nA: 2\n\n\n", "long/", "A", "2"},
        {"Sealed: true\n\nName: p/\nSealed: false\n", "p/", "sealed", "false"},
        {"A: " + longValue + "\r\n", nullptr, "A", longValue},
        {"A: x\n", nullptr, longName.c_str(), "<absent>"},  // no name longer than java's
        // What java refuses.
        {"A: " + longValue + "vv\n", nullptr, "A", "<absent>", Outcome::kLineTooLong, 1, false},
        {"A: x\nno colon and space\n", nullptr, "A", "x", Outcome::kInvalidHeader, 2, false},
        {"A:x\n", nullptr, "A", "<absent>", Outcome::kInvalidHeader, 1, false},
        {"A: x\nB:\n", nullptr, "A", "x", Outcome::kInvalidHeader, 2, false},
        {" x\n", nullptr, "A", "<absent>", Outcome::kMisplacedContinuation, 1, false},
        {"A b: x\n", nullptr, "A b", "<absent>", Outcome::kInvalidName, 1, false},
        {": x\n", nullptr, "A", "<absent>", Outcome::kInvalidName, 1, false},
        {std::string(71, 'N') + ": x\n", nullptr, "A", "<absent>", Outcome::kInvalidName, 1, false},
        {"A: 1\n\nB: 2\n", nullptr, "A", "1", Outcome::kInvalidSection, 3},
        {"A: 1\n\nName: p/\nbad\n", nullptr, "A", "1", Outcome::kInvalidHeader, 4},
    };
    for (const Case& c : cases) {
        JarManifest manifest;
        EXPECT_EQ(manifest.read(c.text.data(), c.text.size()), c.outcome == Outcome::kValid)
            << c.text;
        EXPECT_EQ(manifest.outcome(), c.outcome) << c.text;
        EXPECT_EQ(manifest.errorLine(), c.line) << c.text;
        EXPECT_EQ(lookUp(manifest, c.section, c.name), c.value) << c.text;
        EXPECT_EQ(manifest.mainSectionValid(), c.mainRead) << c.text;
    }
}

// A signed jar's manifest of megabytes (a digest section per entry) reads whole, every
// section found, up to java's limit; the memory kept is taken from an allowance first.
TEST(ManifestTest, LargeManifestsUpToJavasLimit) {
    std::string text = "Manifest-Version: 1.0\r\nMain-Class: a.Main\r\n\r\n";
    for (int i = 0; text.size() < 3000000; ++i)
        text += "Name: p" + std::to_string(i % 300) + "/C" + std::to_string(i) +
                ".class\r\nSHA-256-Digest: 47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=\r\n\r\n";
    text += "Name: p7/\r\nSealed: true\r\n\r\n";
    JarManifest manifest;
    ASSERT_TRUE(manifest.read(text.data(), text.size()));
    EXPECT_EQ(lookUp(manifest, nullptr, "main-class"), "a.Main");
    EXPECT_EQ(lookUp(manifest, "p7/", "Sealed"), "true");
    EXPECT_EQ(lookUp(manifest, "p201/C20001.class", "SHA-256-Digest"),
              "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
    const uint64_t kept = manifest.memoryUse() - sizeof(JarManifest);
    EXPECT_LT(kept, 2 * text.size());
    for (uint64_t allowance : {kept, kept - 1}) {
        uint64_t left = allowance;
        JarManifest charged;
        EXPECT_EQ(charged.read(text.data(), text.size(), &left), allowance == kept);
        EXPECT_EQ(left, allowance == kept ? 0 : allowance);
        EXPECT_EQ(lookUp(charged, "p7/", "Sealed"), allowance == kept ? "true" : "<absent>");
    }
    text.resize(JarManifest::kLargestText + 1, '\n');
    JarManifest tooLarge;
    EXPECT_FALSE(tooLarge.read(text.data(), text.size()));
    EXPECT_EQ(tooLarge.outcome(), Outcome::kTooLarge);
    text.resize(JarManifest::kLargestText);
    JarManifest atTheLimit;
    EXPECT_TRUE(atTheLimit.read(text.data(), text.size()));
}

// What oru-pack writes reads back as written: every line, continuations included, within
// 72 bytes and no character split, whatever falls at the breaks.
TEST(ManifestTest, WrittenLinesReadBackTheirValues) {
    const std::string euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
    const std::string values[] = {"",
                                  std::string(66, 'v'),  // "A-Name: " + 66 = 72: one line
                                  std::string(67, 'v'),
                                  std::string(300, 'v'),
                                  std::string(65, 'v') + euro + std::string(80, 'w'),
                                  std::string(64, 'v') + smile + smile + std::string(70, 'w'),
                                  std::string(130, 'v') + euro + " x"};
    for (const std::string& value : values) {
        const std::string section = "a/" + std::string(90, 'b') + "/";
        const std::string text =
            tools::manifestText({{"A-Name", value}}, {{section, {{"Sealed", value}}}});
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            EXPECT_LE(end - start, 72u) << value;
            const size_t first = text[start] == ' ' ? start + 1 : start;
            if (first < end) {
                EXPECT_NE(text[first] & 0xC0, 0x80) << value;  // no split character
            }
        }
        JarManifest manifest;
        EXPECT_TRUE(manifest.read(text.data(), text.size())) << value;
        EXPECT_EQ(lookUp(manifest, nullptr, "A-Name"), value);
        EXPECT_EQ(lookUp(manifest, section.c_str(), "Sealed"), value);
    }
}

}  // namespace
}  // namespace oru
