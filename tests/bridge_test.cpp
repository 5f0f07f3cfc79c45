// The bridge's resource URLs and Java names, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "bridge/java_names.h"
#include "bridge/resource_urls.h"

namespace oru {
namespace {

std::string text(const NarrowString& s) { return std::string(s.c_str(), s.length()); }

NarrowString bytes(const std::string& s) {
    return NarrowString(s.data(), static_cast<int>(s.size()));
}

// What a URL text decodes to, with its form: "written ", "older " or "malformed".
std::string decoded(const std::string& body) {
    NarrowString name;
    const UrlForm form = decodeUrlText(bytes(body), name);
    return form == UrlForm::kMalformed
               ? "malformed"
               : (form == UrlForm::kWritten ? "written " : "older ") + text(name);
}

// Every name reads back through its own URL: its text is printable ASCII (a URI takes
// it as it is), of the written form, whose decoded name is tried first: the name itself.
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
        EXPECT_EQ(decoded(url.substr(4)), "written " + expected) << url;
    }
}

// URL texts of older forms, folded segments and malformed escapes: what they decode to.
TEST(BridgeTest, UrlTextsOfOtherForms) {
    const struct {
        std::string body;
        std::string decoded;
    } cases[] = {
        {"my file.txt", "older my file.txt"},  // unescaped
        {"my+file.txt", "older my file.txt"},  // "+": a space
        {"t.jar!a\\b%20c.txt", "older t.jar!a\\b c.txt"},
        {"t.jar!\xC3\xBC%20.txt", "older t.jar!\xC3\xBC .txt"},
        {"t.jar!dir/../z.txt", "written t.jar!z.txt"},  // ".." folded
        {"t.jar!a/./b/../c.txt", "written t.jar!a\\c.txt"},
        {"t.jar!a\\..\\z.txt", "older t.jar!z.txt"},
        {"..\\x", "older x"},
        {"a\\\\b", "older a\\\\b"},                // nothing to fold: unchanged
        {"%\x10\x11", "malformed"},                // not digits, whatever their bits
        {"%00x", std::string("written \0x", 10)},  // a decoded NUL is kept
        {"%FF.txt", "written \xFF.txt"},           // not UTF-8: it names nothing
        {"% 41", "malformed"},
        {"%%41", "malformed"},
        {"a%4", "malformed"},
        {"%4g b", "malformed"},
    };
    for (const auto& c : cases) EXPECT_EQ(decoded(c.body), c.decoded) << c.body;
}

// What a name is looked up as: one that is not UTF-8 names nothing, a NUL is kept.
TEST(BridgeTest, ArchiveQueries) {
    const struct {
        std::string name;
        bool made;
        std::string ansi;
    } cases[] = {
        {"a/b.txt", true, "a\\b.txt"},
        {std::string("x.txt\0junk", 10), true, std::string("x.txt\0junk", 10)},
        {"\xED\xA0\x80.txt", false, ""},  // a lone surrogate's bytes
        {"\xFF.txt", false, ""},
        {"\xC0\xAF", false, ""},                         // overlong "/"
        {"\xE4\xB8", false, ""},                         // cut short
        {"\xF4\x90\x80\x80", false, ""},                 // past U+10FFFF
        {"\xF0\x9F\x98\x80", true, "\xF0\x9F\x98\x80"},  // UTF-8 where the code page lacks it
    };
    for (const auto& c : cases) {
        ArchiveQuery query;
        EXPECT_EQ(makeArchiveQuery(bytes(c.name), '/', query), c.made) << c.name;
        if (c.made) {
            EXPECT_EQ(text(query.ansi), c.ansi);
        }
    }
}

}  // namespace
}  // namespace oru
