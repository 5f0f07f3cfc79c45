// The launch sequence: option order, the version rule and path resolution.
#include "launcher/run_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jvm/vm_host.h"
#include "launcher/config_load.h"
#include "launcher/launch_settings.h"
#include "launcher/version_check.h"
#include "launcher/working_directory.h"
#include "platform/dialog.h"
#include "platform/paths.h"
#include "test_support.h"

namespace oru {
namespace {

using testing::EnvironmentGuard;

std::vector<std::string> optionsOf(const VmHost& host) {
    std::vector<std::string> options;
    for (int i = 0; i < host.options().count(); ++i) options.push_back(host.options().at(i));
    return options;
}

TEST(RunLaunchTest, OptionsReachTheHostInTheirFixedOrder) {
    EnvironmentGuard mode("ORU_TEST_MODE", "test");
    EnvironmentGuard unset("ORU_TEST_UNSET", nullptr);
    recordDirectories(NarrowString("/apps/tool"), NarrowString("/start"));
    LauncherConfig config(NarrowString("/apps/tool"),
                          NarrowString("option -Xfile\r\nproperty from.file=1"),
                          NarrowString("property app.mode=%ORU_TEST_MODE%\r\noption -Xmx64m\r\n"
                                       "option\r\nproperty java.class.path=x\r\n"
                                       "property p=%ORU_TEST_UNSET%\r\noption -Xmx64m\r\n"));
    VmHost host;
    collectVmOptions(config, host);
    std::vector<std::string> want = {
        "-Xfile",
        "-Xmx64m",
        "",
        "-Xmx64m",
        "-Dfrom.file=1",
        "-Dapp.mode=test",
        "-Djava.class.path=x",
        "-Dp=%ORU_TEST_UNSET%",
        "-Djava.class.path=" + std::string(buildConfiguredClassPath(config).c_str()),
        "-Doru.app.path=/apps/tool",
        "-Dapplication.home=/apps/",
    };
    EXPECT_EQ(optionsOf(host), want);
}

TEST(RunLaunchTest, VersionRule) {
    struct Case {
        const char* have;
        const char* need;
        LaunchResult result;
        int numbers[4];
    } cases[] = {
        {"1.6.0_20-b02", "1.6", kLaunchSucceeded, {1, 6, 1, 6}},
        {"1.5.0_22-b03", "1.6", kVersionTooLow, {1, 5, 1, 6}},
        {"16.3-b01", "1.6", kLaunchSucceeded, {16, 3, 1, 6}},
        {"1.9", "2.0", kVersionTooLow, {1, 9, 2, 0}},
        {"17.0.15+6-Debian-1deb12u1", "17", kLaunchSucceeded, {17, 0, 17, 0}},
        {"17.0.15", "17.1", kVersionTooLow, {17, 0, 17, 1}},
        {"garbage", "1.1", kVersionTooLow, {0, 0, 1, 1}},
        {" 1. 7", "1.7", kLaunchSucceeded, {1, 7, 1, 7}},
        {"1 .7", "1.0", kLaunchSucceeded, {1, 0, 1, 0}},
        {"25", "x", kLaunchSucceeded, {25, 0, 0, 0}},
        {"99999999999.1", "2147483647.1", kLaunchSucceeded, {2147483647, 1, 2147483647, 1}},
    };
    for (const Case& c : cases) {
        int numbers[4] = {-9, -9, -9, -9};
        EXPECT_EQ(checkVersion(c.have, c.need, numbers), c.result) << c.have << " vs " << c.need;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(numbers[i], c.numbers[i]) << c.have << " [" << i << "]";
    }
}

TEST(RunLaunchTest, ExitCodes) {
    // A console test program (the Windows one) fails with 1 whatever the lines say.
    const bool console = platform::isConsoleProgram();
    const struct {
        const char* file;
        const char* comment;
        LaunchResult result;
        bool threw;
        int code;
    } cases[] = {
        {"", "", kMainClassNotFound, false, 0},
        {"", "", kLaunchSucceeded, true, 0},
        {"", "console 1\r\n", kLaunchSucceeded, false, 0},
        {"", "console 1\r\n", kLaunchSucceeded, true, 1},
        {"", "console 1\r\n", kRuntimeNotLoadable, false, 1},
        {"", "console 1\r\n", kPathUnrepresentable, false, 1},
        {"", "console 0\r\n", kMainClassNotFound, false, 0},
        {"console 1\r\n", "", kMainClassNotFound, false, 0},
    };
    for (const auto& c : cases) {
        LauncherConfig config(NarrowString("/x/app"), NarrowString(c.file),
                              NarrowString(c.comment));
        const bool failed = c.result != kLaunchSucceeded || c.threw;
        EXPECT_EQ(exitCodeOf(&config, c.result, c.threw), console && failed ? 1 : c.code)
            << c.file << "|" << c.comment << "|" << c.result << "|" << c.threw;
    }
    EXPECT_EQ(exitCodeOf(nullptr, kVmCreationFailed, false), console ? 1 : 0);
}

TEST(RunLaunchTest, ResolveAgainstDirectory) {
    bool windows = testing::separator() == '\\';
    struct Case {
        const char* base;
        const char* path;
        const char* want;
    };
    const std::vector<Case> windowsCases = {
        {"C:\\apps\\bin\\", "..", "C:\\apps"},
        {"C:\\apps\\bin\\", "\\work", "C:\\work"},
        {"C:\\apps\\bin\\", "/work", "C:\\work"},
        {"C:\\apps\\bin\\", "D:\\x", "D:\\x"},
        {"C:\\apps\\bin\\", "D:\\x\\..\\y", "D:\\y"},
        {"C:\\apps\\bin\\", "D:x", "D:\\x"},  // drive-relative: completed by the platform
        {"C:\\apps\\bin", "sub\\.\\dir", "C:\\apps\\bin\\sub\\dir"},
    };
    const std::vector<Case> posixCases = {
        {"/apps/bin/", "..", "/apps"},
        {"/apps/bin/", "/work", "/work"},
        {"/apps/bin", "sub/./dir", "/apps/bin/sub/dir"},
        {"/apps/bin/", "a//b/../c", "/apps/bin/a/c"},
        {"/apps/bin/", "../../../..", "/"},
    };
    for (const Case& c : windows ? windowsCases : posixCases) {
        char buffer[platform::kPathCapacity];
        int length = resolveAgainstDirectory(c.base, c.path, buffer, sizeof buffer);
        ASSERT_GT(length, 0) << c.path;
        EXPECT_STREQ(buffer, c.want) << c.base << " + " << c.path;
    }
    std::string tooLong(platform::kPathCapacity + 100, 'a');
    char small[platform::kPathCapacity];
    int length =
        resolveAgainstDirectory(windows ? "C:\\" : "/", tooLong.c_str(), small, sizeof small);
    EXPECT_TRUE(length == 0 || length >= platform::kPathCapacity)
        << "a result that does not fit is never reported as written";
}

TEST(RunLaunchTest, ForcedWorkingDirectory) {
    testing::ScratchDirectory dir;
    dir.makeDirectory("app");
    dir.makeDirectory("work");
    NarrowString before;
    ASSERT_TRUE(platform::currentDirectory(before));
    recordDirectories(NarrowString((dir.path() + "app" + testing::separator() + "tool").c_str()),
                      before);

    applyForcedWorkingDirectory("../work");
    NarrowString now;
    platform::currentDirectory(now);
    EXPECT_STREQ(now.c_str(), (dir.path() + "work").c_str());

    applyForcedWorkingDirectory("missing");
    platform::currentDirectory(now);
    EXPECT_STREQ(now.c_str(), (dir.path() + "work").c_str())
        << "a missing directory changes nothing";

    applyForcedWorkingDirectory(std::string(platform::kPathCapacity + 40, 'x').c_str());
    platform::currentDirectory(now);
    EXPECT_STREQ(now.c_str(), (dir.path() + "work").c_str()) << "a path too long changes nothing";
    platform::changeDirectory(before.c_str());
}

}  // namespace
}  // namespace oru
