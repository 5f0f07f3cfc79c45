// The bridge's URL decoding, byte for byte.
#include <gtest/gtest.h>

#include <string>

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
        {"%4z.txt", "\x04.txt"},  // one digit: the character after it goes too
        {"a%4", std::string("a\x04")},  // never past the end
        {"% 41", "A1"},  // white space before the digits is skipped, and counted
        {"%00x", std::string("\0x", 2)},  // a decoded NUL stays part of the name
        {"%C3%BC", "\xC3\xBC"},
        {"oru:t.jar%21a%5Cb.txt", "oru:t.jar!a\\b.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(decode(c.text), c.decoded) << c.text;
}

}  // namespace
}  // namespace oru
