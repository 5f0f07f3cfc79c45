// Locales whose encoding is not UTF-8 (Big5, GBK): the messages reach the terminal and
// the arguments reach main in the user's encoding.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdlib>

#include "java_probe.h"

namespace oru::testing {
namespace {

// `utf8` in `codeset`, converted the way the terminal would show it.
std::string encode(const std::string& utf8, const char* codeset) {
    iconv_t cd = iconv_open(codeset, "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* to = &out[0];
    size_t left = utf8.size(), room = out.size();
    EXPECT_NE(iconv(cd, &in, &left, &to, &room), static_cast<size_t>(-1)) << utf8;
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

const struct Locale {
    const char* name;
    const char* codeset;
    const char* notFound;  // message 1, UTF-8
    const char* word;      // a word of the locale's script, UTF-8, and as Java reports it
    const char* escaped;
} kLocales[] = {
    {"zh_TW.BIG5", "BIG5", "錯誤: Java 運行環境未找到。\n", "漢字", "\\u6F22\\u5B57"},
    {"zh_CN.GBK", "GBK", "错误: Java 运行环境未找到。\n", "汉字", "\\u6C49\\u5B57"},
};

TEST(LocaleEncodingTest, MessagesAreWrittenInTheLocalesEncoding) {
    ScratchDirectory dir;
    tools::ZipWriter archive;
    archive.add("app/Main.class", "not really a class");
    std::string exe = dir.path() + "tool";
    packLauncher(exe, archive, {"jre_order c", "mainclass app.Main"});
    for (const Locale& locale : kLocales) {
        RunResult run = runProgram(exe, {{}, inLocale(locale.name)});
        EXPECT_EQ(run.exitCode, 1) << locale.name;
        EXPECT_EQ(run.err, encode(locale.notFound, locale.codeset)) << locale.name;
    }
}

TEST(LocaleEncodingTest, ArgumentsReachMainIntact) {
    ScratchDirectory dir;
    std::string exe = packApp(dir, "report", probeConfiguration("probe.Report"));
    for (const Locale& locale : kLocales) {
        RunResult run = runProgram(
            exe, {{encode("中文", locale.codeset), encode(locale.word, locale.codeset), "plain"},
                  inLocale(locale.name)});
        EXPECT_EQ(run.exitCode, 0) << locale.name;
        EXPECT_EQ(run.err, "") << locale.name;
        EXPECT_EQ(reported(run.out, "arg0"), "\\u4E2D\\u6587") << locale.name;
        EXPECT_EQ(reported(run.out, "arg1"), locale.escaped) << locale.name;
        EXPECT_EQ(reported(run.out, "arg2"), "plain") << locale.name;
    }
}

}  // namespace
}  // namespace oru::testing
