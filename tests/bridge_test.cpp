// The bridge's resource URLs and Java names, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "archive/manifest.h"
#include "bridge/java_names.h"
#include "bridge/resource_urls.h"

namespace oru {
namespace {

std::string text(const NarrowString& s) { return std::string(s.c_str(), s.length()); }

NarrowString bytes(const std::string& s) {
    return NarrowString(s.data(), static_cast<int>(s.size()));
}

// The names a URL text stands for, in the order they are tried, "|" between them.
std::string urlNames(const std::string& body) {
    NarrowString names[2];
    const int count = resourceUrlNames(bytes(body), names);
    return count == 1 ? text(names[0]) : text(names[0]) + "|" + text(names[1]);
}

// Every name reads back through its own URL: its text is printable ASCII (a URI takes
// it as it is), and the first name it stands for is the name itself.
TEST(BridgeTest, EveryNameReadsBackThroughItsOwnUrl) {
    const std::string names[] = {
        "t.jar!a\\b.txt",
        "a+b c.txt",
        "a b c.txt",
        "my file.txt",
        "my%20file.txt",
        "100%.txt",
        "100%25.txt",
        "C++ \xC3\xBC.txt",
        "#?.txt",
        "libs\\\xE5\xBA\xAB 1.jar!\xE4\xB8\xAD\xE6\x96\x87\\\xE7\xA9\xBA \xE6\xA0\xBC.txt",
        "% 41",
        "%%41",
        "\"<>^`{|}\x7F\t\r.txt",
        "a-b_c.~$&'()*,;=:@!x",
        std::string("nul\0x", 5),
        "\xF0\x9F\x98\x80.txt"};
    for (const std::string& name : names) {
        const std::string url = text(resourceUrlText(bytes(name)));
        ASSERT_EQ(url.rfind("oru:", 0), 0u) << url;
        for (char c : url) EXPECT_TRUE(c > 0x20 && c < 0x7F) << url;
        std::string expected = name;
        for (char& c : expected)
            if (c == '\\') c = '/';
        NarrowString first[2];
        resourceUrlNames(bytes(url.substr(4)), first);
        EXPECT_EQ(text(first[0]), expected) << url;
    }
}

// URL texts of older forms, malformed escapes, and the names they stand for.
TEST(BridgeTest, UrlTextsAndTheNamesTheyStandFor) {
    const struct {
        std::string body;
        std::string names;
    } cases[] = {
        {"my file.txt", "my file.txt"},              // nothing to decode
        {"my+file.txt", "my+file.txt|my file.txt"},  // "+" unescaped: literal first
        {"t.jar!a\\b%20c.txt", "t.jar!a\\b%20c.txt|t.jar!a\\b c.txt"},
        {"t.jar!\xC3\xBC%20.txt", "t.jar!\xC3\xBC%20.txt|t.jar!\xC3\xBC .txt"},
        {"t.jar!dir/../z.txt", "t.jar!z.txt|t.jar!dir/../z.txt"},  // "..": folded first
        {"%00x", std::string("\0x|%00x", 7)},                      // a decoded NUL is kept
        {"% 41", "% 41"},                                          // malformed: literal only
        {"%%41", "%%41"},
        {"a%4", "a%4"},
        {"%4g b", "%4g b"},
        {"%FF.txt", "%FF.txt"},      // not UTF-8
        {"%ED%A0%80", "%ED%A0%80"},  // a surrogate's bytes
        {"%C0%AF", "%C0%AF"},        // overlong
    };
    for (const auto& c : cases) EXPECT_EQ(urlNames(c.body), c.names) << c.body;
}

// What a Java name is looked up as: an unpaired surrogate names nothing, a NUL is kept.
TEST(BridgeTest, ArchiveQueries) {
    const struct {
        std::u16string name;
        bool made;
        std::string ansi;
    } cases[] = {
        {u"a/b.txt", true, "a\\b.txt"},
        {std::u16string(u"x.txt\0junk", 10), true, std::string("x.txt\0junk", 10)},
        {u"\xD800.txt", false, ""},
        {u"a\xDC00", false, ""},
        {u"\xD83D\xDE00", true, "\xF0\x9F\x98\x80"},  // a pair; UTF-8 where the code page lacks it
    };
    for (const auto& c : cases) {
        ArchiveQuery query;
        const bool made =
            makeArchiveQuery(c.name.data(), static_cast<int>(c.name.size()), '/', query);
        EXPECT_EQ(made, c.made) << c.ansi;
        if (made) {
            EXPECT_EQ(text(query.ansi), c.ansi);
        }
    }
}

TEST(BridgeTest, FoldDotSegments) {
    const struct {
        std::string name;
        std::string result;
    } cases[] = {
        {"t.jar!a\\..\\z.txt", "t.jar!z.txt"},
        {"t.jar!a/./b/../c.txt", "t.jar!a\\c.txt"},
        {"..\\x", "x"},
        {"a\\\\b", "a\\\\b"},  // nothing to fold: unchanged
    };
    for (const auto& c : cases) EXPECT_EQ(text(foldDotSegments(bytes(c.name))), c.result);
}

TEST(BridgeTest, ManifestAttributes) {
    const NarrowString manifest =
        "Manifest-Version: 1.0\r\nImplementation-Version: 1.\r\n 2\r\nsealed: true\r\n\r\n"
        "Name: a/b/\r\nImplementation-Version: 3\r\n\r\nName: a/\r\nX: y\n";
    const struct {
        const char* section;
        const char* name;
        const char* value;
    } cases[] = {
        {nullptr, "Implementation-Version", "1.2"},  // a continuation line joins
        {nullptr, "Sealed", "true"},                 // names in any case
        {"a/b/", "implementation-version", "3"},
        {"a/", "X", "y"},
        {"a/", "Implementation-Version", "<absent>"},
        {nullptr, "X", "<absent>"},
        {"c/", "X", "<absent>"},
    };
    for (const auto& c : cases) {
        NarrowString value("<absent>");
        manifestAttribute(manifest, c.section, c.name, value);
        EXPECT_EQ(std::string(value.c_str()), c.value) << c.name;
    }
}

}  // namespace
}  // namespace oru
