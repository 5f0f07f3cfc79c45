// Messages: every id in every language, the empty and missing ids, and formatting.
#include <gtest/gtest.h>

#include <string>

#include "launcher/messages.h"
#include "platform/resources.h"
#include "platform/text_codec.h"
#include "support/wide_string.h"

namespace oru {
namespace {

// The texts as UTF-16, so the check does not depend on the narrow code page.
struct Expected {
    int id;
    const char16_t* english;
    const char16_t* traditional;
    const char16_t* simplified;
};

const Expected kMessages[] = {
    {1, u"Java Runtime Environment not found.", u"Java 運行環境未找到。", u"Java 运行环境未找到。"},
    {2, u"Java Runtime Environment not valid.", u"Java 運行環境無效。", u"Java 运行环境无效。"},
    {3, u"Java Virtual Machine initialize failed.", u"Java 虛擬機初始化失敗。",
     u"Java 虚拟机初始化失败。"},
    {4, u"Java Virtual Machine starts failed.", u"Java 虛擬機創建失敗。", u"Java 虚拟机创建失败。"},
    {5, u"Can not get the virtual machine version.", u"未能獲取 Java 虛擬機版本。",
     u"未能获取 Java 虚拟机版本。"},
    {6, u"Java virtual machine version %d.%d is too low, require %d.%d or higher.",
     u"Java 虛擬機版本 %d.%d 太低，需要 %d.%d 或更高版本。",
     u"Java 虚拟机版本 %d.%d 太低，需要 %d.%d 或更高版本。"},
    {7, u"The main startup class could not be found.", u"主啟動類未找到。", u"主启动类未找到。"},
    {8, u"The main startup class is not valid, main method missing.",
     u"主啟動類無效，缺少 main 方法。", u"主启动类无效，缺少 main 方法。"},
    {9,
     u"The program's folder name has characters that Java cannot be given on this system "
     u"(outside its code page, and no short name); move the program to another folder.",
     u"程式所在資料夾的名稱含有無法傳給 Java "
     u"的字元（不在系統字碼頁中，且沒有短檔名）；請將程式移到其他資料夾。",
     u"程序所在文件夹的名称含有无法传给 Java "
     u"的字符（不在系统代码页中，且没有短文件名）；请将程序移到其他文件夹。"},
    {10, u"Error", u"錯誤", u"错误"},
};

NarrowString narrow(const char16_t* text) {
    NarrowString s;
    platform::wideToNarrow(text, -1, s);
    return s;
}

TEST(MessagesTest, EveryIdInEveryLanguage) {
    struct Language {
        int id;
        const char16_t* Expected::*text;
    } languages[] = {
        {platform::kLanguageEnglish, &Expected::english},
        {platform::kLanguageTraditionalChinese, &Expected::traditional},
        {platform::kLanguageSimplifiedChinese, &Expected::simplified},
    };
    for (const Language& language : languages) {
        for (const Expected& message : kMessages) {
            NarrowString text("stale");
            EXPECT_TRUE(loadMessageText(message.id, text, language.id));
            EXPECT_STREQ(text.c_str(), narrow(message.*language.text).c_str())
                << "id " << message.id << " language " << language.id;
        }
        for (int id : {0, 11, 12, 13, 14, 15}) {
            NarrowString text("stale");
            EXPECT_TRUE(loadMessageText(id, text, language.id)) << id;
            EXPECT_STREQ(text.c_str(), "") << id;
        }
        for (int id : {16, 17, 100}) {
            NarrowString text("stale");
            EXPECT_FALSE(loadMessageText(id, text, language.id)) << id;
            EXPECT_STREQ(text.c_str(), "") << id;
        }
    }
}

TEST(MessagesTest, VersionMessageFormatting) {
    NarrowString format;
    ASSERT_TRUE(loadMessageText(6, format, platform::kLanguageEnglish));
    NarrowString text;
    formatMessage(text, format.c_str(), 1, 5, 1, 6);
    EXPECT_STREQ(text.c_str(),
                 "Java virtual machine version 1.5 is too low, require 1.6 or higher.");
    formatMessage(text, "%d.%d", -2147483647 - 1, 2147483647);
    EXPECT_STREQ(text.c_str(), "-2147483648.2147483647");
}

TEST(MessagesTest, FormattingIsBoundedAt1023Bytes) {
    std::string longFormat(3000, 'x');
    NarrowString text;
    formatMessage(text, (longFormat + "%d").c_str(), 7);
    EXPECT_EQ(text.length(), text.capacity() - 1);
    EXPECT_GE(text.length(), 1023);
    EXPECT_LT(text.length(), 3000);
}

}  // namespace
}  // namespace oru
