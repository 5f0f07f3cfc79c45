// LauncherConfig: line scanning, key and value rules, sources, environment expansion and
// the archive comment search.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/config_load.h"
#include "platform/path_style.h"
#include "test_support.h"

namespace oru {
namespace {

using testing::EnvironmentGuard;
using testing::ScratchDirectory;

LauncherConfig commentOnly(const std::string& comment) {
    return LauncherConfig("tool", NarrowString(""),
                          NarrowString(comment.data(), int(comment.size())));
}

std::vector<std::string> allValues(const LauncherConfig& config, const char* key,
                                   bool inComment = false) {
    std::vector<std::string> values;
    config.forEachValue(
        key,
        [](void* context, const char* value) {
            static_cast<std::vector<std::string>*>(context)->push_back(value);
        },
        &values, inComment);
    return values;
}

TEST(ConfigScanTest, KeyAndValueRules) {
    struct Case {
        const char* text;
        const char* key;
        const char* value;
    } cases[] = {
        {"minjre 1.6\r\nmainclass app.Main\r\n", "mainclass", "app.Main"},
        {"minjre 1.6\r\nmainclass app.Main\r\n", "minjre", "1.6"},
        {"minjre 1.6\r\nmainclass app.Main\r\n", "forcecwd", ""},
        {"OPTION -Xmx1m", "option", "-Xmx1m"},
        {"  option -Xmx1m", "option", "-Xmx1m"},
        {"option   =   -Xmx1m", "option", "-Xmx1m"},
        {"option=-Xmx1m", "option", "-Xmx1m"},
        {"option==v", "option", "=v"},
        {"\toption -Xmx1m", "option", ""},
        {"mainclass app.Main ", "mainclass", "app.Main "},
        {"mainclass", "mainclass", ""},
        {"optionally x", "option", "ally x"},
        {"mainclassX", "mainclass", "X"},
        {"a 1\nminjre 1.7\nb 2", "minjre", "1.7"},
        {"a 1\rminjre 1.7\rb 2", "minjre", "1.7"},
        {"a 1\n\rminjre 1.7\n\rb 2", "minjre", "1.7"},
        {"\r\n\r\n\nminjre 1.7", "minjre", "1.7"},
        {"minjre 1.6\r\nminjre 1.7", "minjre", "1.6"},
        {"option\tx", "option", "\tx"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(commentOnly(c.text).lookupValue(c.key).c_str(), c.value)
            << "text: " << c.text << " key: " << c.key;
}

TEST(ConfigScanTest, LineBreakStylesGiveTheSameLines) {
    for (const char* brk : {"\r\n", "\n", "\r", "\n\r"}) {
        std::string text = std::string("option a") + brk + "option b" + brk + brk + "option c";
        EXPECT_EQ(allValues(commentOnly(text), "option"), (std::vector<std::string>{"a", "b", "c"}))
            << "break of " << std::string(brk).size() << " bytes";
    }
}

TEST(ConfigScanTest, FilePartComesFirstAndCommentOnlyLookupsSkipIt) {
    LauncherConfig config("tool", NarrowString("minjre 1.7\r\nmainclass file.Main\r\noption f"),
                          NarrowString("minjre 1.6\r\nmainclass app.Main\r\noption c\r\n"));
    EXPECT_STREQ(config.lookupValue("minjre").c_str(), "1.7");
    EXPECT_STREQ(config.lookupValue("mainclass", true).c_str(), "app.Main");
    EXPECT_EQ(allValues(config, "option"), (std::vector<std::string>{"f", "c"}));
    EXPECT_EQ(allValues(config, "option", true), (std::vector<std::string>{"c"}));
    EXPECT_EQ(config.commentStart(),
              int(std::string("minjre 1.7\r\nmainclass file.Main\r\noption f").size()) + 2);
}

TEST(ConfigScanTest, FileWithoutFinalBreakStaysApartFromComment) {
    LauncherConfig config("tool", NarrowString("option f"), NarrowString("option c"));
    EXPECT_EQ(allValues(config, "option"), (std::vector<std::string>{"f", "c"}));
    LauncherConfig noFile("tool", NarrowString(""), NarrowString("option c"));
    EXPECT_EQ(noFile.commentStart(), 0);
}

TEST(ConfigScanTest, NulByteEndsScansThatReachIt) {
    std::string file("option a\r\n\0option hidden", 24);
    LauncherConfig config("tool", NarrowString(file.data(), int(file.size())),
                          NarrowString("mainclass app.Main\r\noption c"));
    EXPECT_EQ(allValues(config, "option"), (std::vector<std::string>{"a"}));
    EXPECT_STREQ(config.lookupValue("mainclass").c_str(), "");
    EXPECT_STREQ(config.lookupValue("mainclass", true).c_str(), "app.Main");
}

TEST(ExpandEnvironmentTest, References) {
    EnvironmentGuard home("HOME", "/h");
    EnvironmentGuard appdata("ORU_TEST_APPDATA", "C:\\Data");
    EnvironmentGuard unset("UNSET", nullptr);
    EnvironmentGuard empty("ORU_TEST_EMPTY", "");
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"%ORU_TEST_APPDATA%\\app", "C:\\Data\\app"},
        {"%oru_test_appdata%", "C:\\Data"},
        {"%UNSET%\\app", "%UNSET%\\app"},
        {"%UNSET%HOME%", "%UNSET/h"},
        {"a%%b", "a%%b"},
        {"100%", "100%"},
        {"%HOME%%HOME%", "/h/h"},
        {"x%ORU_TEST_EMPTY%y", "xy"},
        {"", ""},
        {"no refs", "no refs"},
    };
    for (const Case& c : cases) EXPECT_STREQ(expandEnvironment(c.in).c_str(), c.out) << c.in;
}

TEST(ExpandEnvironmentTest, ExpansionsPast1MiBStayAsWritten) {
    const std::string value(30000, 'v');  // Windows holds values of at most 32,767 bytes
    EnvironmentGuard longValue("ORU_TEST_LONG", value.c_str());
    const std::string reference = "%ORU_TEST_LONG%";
    struct Case {
        int references;
        size_t literal;  // bytes of plain text before the references
        bool expanded;
    } cases[] = {
        {34, 0, true},      // 1,020,000 bytes
        {35, 0, false},     // 1,050,000 bytes
        {34, 28576, true},  // exactly 1 MiB
        {34, 28577, false},
        {1, (1 << 20) - 30000, true},
        {1, (1 << 20) - 29999, false},  // the literal text counts as well
    };
    for (const Case& c : cases) {
        std::string in(c.literal, 'l');
        std::string out = in;
        for (int i = 0; i < c.references; ++i) {
            in += reference;
            out += value;
        }
        NarrowString got = expandEnvironment(in.c_str());
        EXPECT_EQ(std::string(got.c_str(), size_t(got.length())), c.expanded ? out : in)
            << c.references << " references after " << c.literal << " bytes";
    }
}

std::string zipTail(const std::string& comment) {
    std::string record("PK\x05\x06", 4);
    record.append(16, '\0');
    record.push_back(char(comment.size() & 0xFF));
    record.push_back(char(comment.size() >> 8));
    return record + comment;
}

TEST(ArchiveCommentTest, SearchLimits) {
    ScratchDirectory dir;
    struct Case {
        size_t commentSize;
        bool found;
    } cases[] = {{0, true}, {2, true}, {2048, true}, {2049, false}};
    for (const Case& c : cases) {
        std::string comment(c.commentSize, 'c');
        std::string path =
            dir.write("exe" + std::to_string(c.commentSize), "prefix" + zipTail(comment));
        NarrowString got = readArchiveComment(path.c_str());
        EXPECT_EQ(got.length(), c.found ? int(c.commentSize) : 0) << c.commentSize;
    }
    // The last record wins, and whatever follows it counts as comment.
    std::string twice = dir.write("twice", zipTail("first") + zipTail("second") + "tail");
    EXPECT_STREQ(readArchiveComment(twice.c_str()).c_str(), "secondtail");
    EXPECT_STREQ(readArchiveComment(dir.write("short", "PK\x05\x06").c_str()).c_str(), "");
    EXPECT_STREQ(readArchiveComment(dir.write("empty", "").c_str()).c_str(), "");
    EXPECT_STREQ(readArchiveComment((dir.path() + "missing").c_str()).c_str(), "");
}

TEST(ConfigFileTest, CfgHidesConfig) {
    ScratchDirectory dir;
    std::string exe = dir.path() + "tool.exe";
    EXPECT_STREQ(readConfigurationFile(NarrowString(exe.c_str())).c_str(), "");
    dir.write("tool.config", "minjre 1.8");
    EXPECT_STREQ(readConfigurationFile(NarrowString(exe.c_str())).c_str(), "minjre 1.8");
    dir.write("tool.cfg", "");
    EXPECT_STREQ(readConfigurationFile(NarrowString(exe.c_str())).c_str(), "")
        << "an empty .cfg still hides .config";
    dir.write("tool.cfg", "minjre 1.7");
    EXPECT_STREQ(readConfigurationFile(NarrowString(exe.c_str())).c_str(), "minjre 1.7");
}

TEST(ConfigFileTest, OnlyRegularFilesOfAtMost1MiBAreRead) {
    const std::string limit(1 << 20, 'x');
    struct Case {
        const char* what;
        bool directory;
        std::string cfg;
        const char* read;  // what is read: the .cfg or the .config
    } cases[] = {
        {"a directory", true, "", "from config"},
        {"1 MiB and one byte", false, limit + "x", "from config"},
        {"exactly 1 MiB", false, limit, nullptr},
    };
    for (const Case& c : cases) {
        ScratchDirectory dir;
        std::string exe = dir.path() + "tool.exe";
        if (c.directory) {
            dir.makeDirectory("tool.cfg");
        } else {
            dir.write("tool.cfg", c.cfg);
        }
        dir.write("tool.config", "from config");
        NarrowString text = readConfigurationFile(NarrowString(exe.c_str()));
        EXPECT_EQ(std::string(text.c_str(), size_t(text.length())), c.read ? c.read : c.cfg)
            << c.what;
    }
}

TEST(ConfigFileTest, ExecutableWithoutExtensionFallsBackToConfig) {
    ScratchDirectory dir;
    NarrowString exe((dir.path() + "tool").c_str());
    if (testing::separator() == '\\') GTEST_SKIP() << "Windows executables have extensions";
    dir.write("tool.config", "minjre 1.8");
    EXPECT_STREQ(readConfigurationFile(exe).c_str(), "minjre 1.8");
}

TEST(ConfigFileTest, UnknownCurrentDirectoryLeavesStartupDirectoryEmpty) {
    recordDirectories(NarrowString("/apps/tool"), NarrowString(""));
    EXPECT_STREQ(startupDirectory().c_str(), "");
    recordDirectories(NarrowString("/apps/tool"), NarrowString("/start"));
    EXPECT_STREQ(startupDirectory().c_str(),
                 (std::string("/start") + testing::separator()).c_str());
}

TEST(ConfigFileTest, ConfigurationFileNames) {
    struct Case {
        const char* exe;
        const char* cfgOnWindows;
        const char* cfgOnLinux;
    } cases[] = {
        {"C:\\apps\\tool.exe", "C:\\apps\\tool.cfg", "C:\\apps\\tool.cfg"},
        {"/opt/app/tool", nullptr, "/opt/app/tool.cfg"},
        {"/opt/app/tool.bin", nullptr, "/opt/app/tool.cfg"},
        {"/opt/app.d/tool", nullptr, "/opt/app.d/tool.cfg"},
        {"/opt/app/.bin", nullptr, "/opt/app/.bin.cfg"},
    };
    bool windows = testing::separator() == '\\';
    for (const Case& c : cases) {
        const char* want = windows ? c.cfgOnWindows : c.cfgOnLinux;
        if (!want) continue;
        EXPECT_STREQ(platform::configurationFilePath(NarrowString(c.exe), ".cfg").c_str(), want);
    }
}

}  // namespace
}  // namespace oru
