// The bridge's URL decoding, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "bridge/class_loader_natives.h"
#include "bridge/resource_natives.h"

namespace oru {
namespace {

std::string decode(const std::string& text) {
    std::string out(text.size(), '?');
    out.resize(static_cast<size_t>(
        decodeUrlEscapes(text.data(), static_cast<int>(text.size()), out.data())));
    return out;
}

TEST(BridgeTest, DecodeUrlEscapes) {
    const struct {
        std::string text;
        std::string decoded;
    } cases[] = {
        {"", ""},
        {"plain\\name.txt", "plain\\name.txt"},
        {"my+file", "my file"},
        {"my%20file", "my file"},
        {"%2F%2f%21", "//!"},
        {"%%20", "%20"},
        {"%zz", "%zz"},
        {"100%", "100%"},
        {"%4z.txt", "\x04.txt"},          // one digit: the character after it goes too
        {"a%4", std::string("a\x04")},    // never past the end
        {"% 41", "A1"},                   // white space before the digits is skipped, and counted
        {"%00x", std::string("\0x", 2)},  // a decoded NUL stays part of the name
        {"%C3%BC", "\xC3\xBC"},
        {"oru:t.jar%21a%5Cb.txt", "oru:t.jar!a\\b.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(decode(c.text), c.decoded) << c.text;
}

// URL texts that URIs accept and that read back, and the names relative URLs arrive at.
TEST(BridgeTest, UrlTextAndRelativeNames) {
    const struct {
        const char* function;
        std::string name;
        std::string result;
    } cases[] = {
        {"url", "t.jar!a\\b.txt", "oru:t.jar!a/b.txt"},
        {"url", "libs\\x.jar!my file#1?.txt", "oru:libs/x.jar!my%20file%231%3F.txt"},
        {"url", "\xE4\xB8\xAD%\"<>^`{|}\x7F\t.txt",
         "oru:%E4%B8%AD%25%22%3C%3E%5E%60%7B%7C%7D%7F%09.txt"},
        {"url", "a-b_c.~$&'()*+,;=:@!x", "oru:a-b_c.~$&'()*+,;=:@!x"},
        {"fold", "t.jar!a\\..\\z.txt", "t.jar!z.txt"},
        {"fold", "t.jar!a/./b/../c.txt", "t.jar!a\\c.txt"},
        {"fold", "..\\x", "x"},
        {"fold", "a\\\\b", "a\\\\b"},  // nothing to fold: unchanged
    };
    for (const auto& c : cases) {
        const NarrowString result = c.function == std::string("url")
                                        ? resourceUrlText(NarrowString(c.name.c_str()))
                                        : foldDotSegments(NarrowString(c.name.c_str()));
        EXPECT_EQ(std::string(result.c_str()), c.result) << c.name;
    }
}

}  // namespace
}  // namespace oru
