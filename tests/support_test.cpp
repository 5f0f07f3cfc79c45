// NarrowString, WideString and StringList: growth, clamping, comparisons, conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text_codec.h"
#include "support/growth.h"
#include "support/narrow_string.h"
#include "support/string_list.h"
#include "support/wide_string.h"

namespace oru {
namespace {

TEST(NarrowStringTest, GrowthRule) {
    struct Case {
        int startCapacityLength;  // length that produces the starting capacity (-1: none)
        int newLength;
        int expectedCapacity;
    } cases[] = {
        {-1, 3, 8},    // empty to 3 bytes
        {3, 10, 16},   // capacity 8 to 11 with the NUL: doubled
        {10, 40, 48},  // capacity 16 to 41: 41 + 11 = 52, low bits cleared
        {-1, 12, 16},  // 8 doubled is enough for 13
        {-1, 20, 32},  // 8, 16, then 21 + 11 = 32
    };
    for (const Case& c : cases) {
        NarrowString s;
        if (c.startCapacityLength >= 0) s.resize(c.startCapacityLength);
        s.resize(c.newLength);
        EXPECT_EQ(s.capacity(), c.expectedCapacity) << "to " << c.newLength;
        EXPECT_EQ(s.length(), c.newLength);
    }
    NarrowString shrinking("0123456789abcdef0123456789");
    int capacity = shrinking.capacity();
    shrinking.resize(1);
    EXPECT_EQ(shrinking.capacity(), capacity) << "capacity never shrinks";
}

TEST(NarrowStringTest, GrowthPastAnIntIsRefused) {
    struct Case {
        int capacity;
        int64_t needed;
        size_t elementSize;
        int grown;  // -1: refused
    } cases[] = {
        {0, 3, 1, 8},
        {(1 << 30) - 8, 1 << 30, 1, INT_MAX - 15},
        {1 << 30, (1 << 30) + 1, 1, -1},  // doubling would pass INT_MAX
        {16, INT_MAX - 11, 1, INT_MAX - 7},
        {16, INT_MAX - 3, 1, -1},
        {16, int64_t{INT_MAX} + 1, 1, -1},
        {16, 1 << 30, 2, (1 << 30) + 8},
        {16, 1 << 30, 8, sizeof(void*) == 4 ? -1 : (1 << 30) + 8},  // past 4 GiB of bytes
    };
    for (const Case& c : cases)
        EXPECT_EQ(grownCapacity(c.capacity, c.needed, c.elementSize), c.grown)
            << c.capacity << " for " << c.needed;
    // Refused before anything is allocated or copied, and the string stays as it was.
    NarrowString s("abc");
    EXPECT_THROW(s.resize(INT_MAX), std::bad_alloc);
    EXPECT_THROW(s.append("x", INT_MAX), std::bad_alloc);
    EXPECT_THROW(s.makeRoom(1, INT_MAX - 2), std::bad_alloc);
    EXPECT_STREQ(s.c_str(), "abc");
    WideString w(u"abc");
    EXPECT_THROW(w.resize(INT_MAX), std::bad_alloc);
    EXPECT_THROW(w.append(u"x", INT_MAX), std::bad_alloc);
    EXPECT_EQ(w.length(), 3);
}

TEST(NarrowStringTest, SubstringsClamp) {
    NarrowString s("abcde");
    struct Case {
        NarrowString got;
        const char* want;
    } cases[] = {
        {s.mid(5), ""},      {s.mid(7, 2), ""},     {s.mid(3, 10), "de"},
        {s.mid(1, 2), "bc"}, {s.left(10), "abcde"}, {s.left(0), ""},
        {s.right(2), "de"},  {s.right(9), "abcde"}, {s.mid(0), "abcde"},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.got.c_str(), c.want);
}

TEST(NarrowStringTest, EditingOperations) {
    NarrowString s("hello");
    std::memcpy(s.makeRoom(2, 3), "XYZ", 3);
    EXPECT_STREQ(s.c_str(), "heXYZllo");
    s.erase(2, 3);
    EXPECT_STREQ(s.c_str(), "hello");
    s.erase(9, 1);
    EXPECT_STREQ(s.c_str(), "hello");
    s.erase(3, 10);
    EXPECT_STREQ(s.c_str(), "hel");
    EXPECT_EQ(s.byteAt(1, '?'), 'e');
    EXPECT_EQ(s.byteAt(3, '?'), '?');
    EXPECT_EQ(s.byteAt(-1, '?'), '?');
    s.append(s);  // appending itself survives the buffer moving
    EXPECT_STREQ(s.c_str(), "helhel");
    EXPECT_STREQ(("<" + s + ">").c_str(), "<helhel>");
    EXPECT_STREQ(NarrowString(nullptr).c_str(), "");
    EXPECT_STREQ(NarrowString("abcdef", 3).c_str(), "abc");
    char* owned = s.detach();
    EXPECT_STREQ(owned, "helhel");
    EXPECT_EQ(s.length(), 0);
    std::free(owned);
}

TEST(NarrowStringTest, CompareSigns) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
        int noCaseSign;
    } cases[] = {
        {"oru:", "oru:", 0, 0},  {"oru:", "ORU:", 1, 0}, {"oru:", "oru", 1, 1},
        {"oru", "oru:", -1, -1}, {"abc", "abd", -1, -1}, {"", "", 0, 0},
        {"\xE9", "a", -1, -1},  // bytes compare as signed values
    };
    for (const Case& c : cases) {
        int got = NarrowString(c.a).compare(c.b);
        int gotNoCase = NarrowString(c.a).compareNoCase(NarrowString(c.b));
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " vs " << c.b;
        EXPECT_EQ((gotNoCase > 0) - (gotNoCase < 0), c.noCaseSign) << c.a << " vs " << c.b;
    }
    EXPECT_EQ(NarrowString("oru:").compare("oru"), ':');
    EXPECT_EQ(NarrowString("ab").compareNoCase(NarrowString("AC")), 'b' - 'C');
}

TEST(NarrowStringTest, WideConversionsRoundTrip) {
    const char16_t withNul[] = {u'a', u'b', 0, u'c'};
    NarrowString s;
    platform::wideToNarrow(withNul, 4, s);
    EXPECT_STREQ(s.c_str(), "ab") << "the text ends at the first NUL";

    NarrowString ascii;
    platform::wideToNarrow(u"plain", -1, ascii);
    EXPECT_STREQ(ascii.c_str(), "plain");

    WideString w;
    platform::narrowToWide("xyz", -1, w);
    EXPECT_EQ(w.length(), 3);
    EXPECT_EQ(w.c_str()[2], u'z');
    NarrowString back;
    platform::wideToNarrow(w.c_str(), w.length(), back);
    EXPECT_STREQ(back.c_str(), "xyz");
}

// UTF-8 as Java's coders read it: every well-formed text round-trips, NUL included; an
// unpaired surrogate has no UTF-8 form. (Bytes that are not UTF-8: bridge_test.)
TEST(NarrowStringTest, Utf8ConversionsAreStrict) {
    const std::u16string texts[] = {u"", u"plain", std::u16string(u"a\0b", 3),
                                    u"Gr\u00FC\u00DFe \u4E2D", u"\U0001F600"};
    for (const std::u16string& text : texts) {
        NarrowString utf8("x");
        ASSERT_TRUE(platform::appendUtf8(utf8, text.data(), static_cast<int>(text.size())));
        WideString back;
        ASSERT_TRUE(platform::utf8ToUtf16(utf8.c_str() + 1, utf8.length() - 1, back));
        EXPECT_EQ(std::u16string(back.c_str(), static_cast<size_t>(back.length())), text);
    }
    for (const std::u16string lone : {u"\xD800", u"a\xDC00", u"\xDC00\xD800"}) {
        NarrowString out;
        EXPECT_FALSE(platform::appendUtf8(out, lone.data(), static_cast<int>(lone.size())));
    }
    NarrowString exact;
    EXPECT_TRUE(platform::wideToNarrowExactly(u"a\0b", 3, exact));
    EXPECT_EQ(exact.length(), 3) << "a NUL is kept";
}

TEST(WideStringTest, GrowthAndEditing) {
    WideString w(u"abc");
    EXPECT_EQ(w.capacity(), 8);
    w.append(u"defghijk", 8);
    EXPECT_EQ(w.length(), 11);
    EXPECT_EQ(w.capacity(), 16);
    w.makeRoom(0, 1)[0] = u'_';
    EXPECT_EQ(w.c_str()[0], u'_');
    EXPECT_EQ(w.c_str()[1], u'a');
    EXPECT_EQ(WideString(u"abc", 2).length(), 2);
}

TEST(StringListTest, KeepsOrderAndOffsets) {
    StringList list;
    list.add("first");
    list.add(nullptr);
    list.add("");
    for (int i = 0; i < 100; ++i) list.add("filler");  // forces the buffer to move
    list.add("last");
    ASSERT_EQ(list.count(), 104);
    EXPECT_STREQ(list.at(0), "first");
    EXPECT_STREQ(list.at(1), "");
    EXPECT_STREQ(list.at(2), "");
    EXPECT_STREQ(list.at(103), "last");
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

}  // namespace
}  // namespace oru
