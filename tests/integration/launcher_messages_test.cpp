// The launcher without a Java runtime: the failure report, its language and exit code.
#include <gtest/gtest.h>

#include "launcher_run.h"
#include "test_support.h"

namespace oru::testing {
namespace {

// A packed launcher that can find no runtime: the search order names only the
// configured library, and none is configured.
std::string packedWithoutRuntime(const ScratchDirectory& dir) {
    tools::ZipWriter archive;
    archive.add("app/Main.class", "not really a class");
    std::string exe = dir.path() + "tool";
    packLauncher(exe, archive, {"jre_order c", "mainclass app.Main"});
    return exe;
}

TEST(LauncherMessagesTest, NoRuntimeReportsMessageOneInTheUsersLanguage) {
    ScratchDirectory dir;
    std::string exe = packedWithoutRuntime(dir);
    struct Case {
        const char* lang;
        const char* line;
    } cases[] = {
        {"C", "Error: Java Runtime Environment not found.\n"},
        {"fr_FR.UTF-8", "Error: Java Runtime Environment not found.\n"},
        {"zh_TW.UTF-8", "錯誤: Java 運行環境未找到。\n"},
        {"zh_HK.UTF-8", "錯誤: Java 運行環境未找到。\n"},
        {"zh_CN.UTF-8", "错误: Java 运行环境未找到。\n"},
        {"zh_SG.UTF-8", "错误: Java 运行环境未找到。\n"},
    };
    for (const Case& c : cases) {
        RunResult run = runProgram(
            exe, {{}, {{"LC_ALL", std::nullopt}, {"LC_MESSAGES", std::nullopt}, {"LANG", c.lang}}});
        EXPECT_EQ(run.exitCode, 1) << c.lang;
        EXPECT_EQ(run.err, c.line) << c.lang;
        EXPECT_EQ(run.out, "") << c.lang;
    }
    RunResult overridden =
        runProgram(exe, {{}, {{"LC_ALL", "zh_CN.UTF-8"}, {"LANG", "zh_TW.UTF-8"}}});
    EXPECT_EQ(overridden.err, "错误: Java 运行环境未找到。\n") << "LC_ALL comes before LANG";
}

TEST(LauncherMessagesTest, ArgumentsAndDamagedArchivesStillEndCleanly) {
    ScratchDirectory dir;
    std::string exe = packedWithoutRuntime(dir);
    RunResult withArguments = runProgram(exe, {{"a b", "--help", "ü"}, {{"LANG", "C"}}});
    EXPECT_EQ(withArguments.exitCode, 1);
    EXPECT_EQ(withArguments.err, "Error: Java Runtime Environment not found.\n");

    // An empty archive, or none at all: no configuration, still one report and exit code 1.
    std::string bare = dir.path() + "bare";
    tools::ZipWriter empty;
    packLauncher(bare, empty, {});
    Environment noJava = {{"LANG", "C"},
                          {"JAVA_HOME", std::nullopt},
                          {"JRE_HOME", std::nullopt},
                          {"PATH", "/nonexistent"}};
    for (const std::string& program : {bare, launcherPath()}) {
        RunResult plain = runProgram(program, {{}, noJava});
        EXPECT_EQ(plain.exitCode, 1) << program;
        EXPECT_EQ(plain.err, "Error: Java Runtime Environment not found.\n") << program;
    }
}

TEST(LauncherMessagesTest, DeepAndBracketedDirectoriesStillFindTheConfiguration) {
    ScratchDirectory dir;
    std::string deep = "deep [x] \\ dir/" + std::string(150, 'd') + "/" + std::string(150, 'e');
    dir.makeDirectory(deep);
    std::string exe = dir.path() + deep + "/tool";
    tools::ZipWriter archive;
    archive.add("app/Main.class", "not really a class");
    // Only the .cfg file limits the search to the configured library; read or not, the
    // comment's main class does not exist, so a found runtime would report message 7.
    packLauncher(exe, archive, {"mainclass app.Main"});
    dir.write(deep + "/tool.cfg", "jre_order c\r\n");
    RunResult run = runProgram(exe, {{}, {{"LANG", "C"}}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Error: Java Runtime Environment not found.\n");
}

}  // namespace
}  // namespace oru::testing
