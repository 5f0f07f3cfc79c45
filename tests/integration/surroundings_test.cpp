// The launcher in surroundings it does not control: configuration files that are not
// files, values that expand without end, too little memory. Each ends with one message
// and exit code 1, never a hang or an abort.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "java_probe.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

const char kNotFound[] = "Error: Java Runtime Environment not found.\n";
const char kStartFailed[] = "Error: Java Virtual Machine starts failed.\n";

// No runtime to find unless a configuration names one.
Environment withoutRuntime(Environment extra = {}) {
    extra.emplace_back("PATH", "/nonexistent");
    return cleanEnvironment(extra);
}

// Runs `exe` so that a launcher that hangs fails the test instead of stopping it.
RunResult runBounded(const std::string& exe, const Environment& env) {
    std::vector<std::string> arguments = {"120"};
    for (const std::string& word : emulated(exe)) arguments.push_back(word);
    return runProgram("/usr/bin/timeout", {arguments, env});
}

TEST(SurroundingsTest, ConfigurationFilesThatAreNoFilesAreSkipped) {
    using Make = std::function<void(const ScratchDirectory&, const std::string& cfg)>;
    const struct Case {
        const char* what;
        Make make;
    } cases[] = {
        {"a FIFO", [](const ScratchDirectory&,
                      const std::string& cfg) { ASSERT_EQ(::mkfifo(cfg.c_str(), 0600), 0); }},
        {"a link to /dev/zero",
         [](const ScratchDirectory&, const std::string& cfg) {
             fs::create_symlink("/dev/zero", cfg);
         }},
        {"a link to a directory",
         [](const ScratchDirectory& dir, const std::string& cfg) {
             fs::create_directory_symlink(dir.makeDirectory("elsewhere"), cfg);
         }},
        {"a file of 1 MiB and one byte",
         [](const ScratchDirectory& dir, const std::string&) {
             dir.write("tool.cfg", "jre_order c\r\n" + std::string(1 << 20, '#'));
         }},
    };
    for (const Case& c : cases) {
        ScratchDirectory dir;
        std::string exe = packApp(dir, "tool", {"mainclass app.Main"});
        c.make(dir, exe + ".cfg");
        // The .config name is tried next, as for a missing .cfg: its stand-in runtime
        // tells that it was read.
        dir.write("tool.config", std::string("jre_order c\r\njvmdll ") + ORU_STAND_IN_FAILING);
        RunResult run = runBounded(exe, withoutRuntime());
        EXPECT_EQ(run.exitCode, 1) << c.what;
        EXPECT_EQ(run.err, kStartFailed) << c.what;
    }
}

TEST(SurroundingsTest, ValuesExpandingPast1MiBStayAsWritten) {
    ScratchDirectory dir;
    std::string exe = packApp(dir, "tool", {"mainclass app.Main"});
    std::string line = "jvmdll ";
    for (int i = 0; i < 60000; ++i) line += "%ORU_TEST_LONG%";  // about 6 GB expanded
    dir.write("tool.cfg", "jre_order c\r\n" + line + "\r\n");
    RunResult run = runBounded(exe, withoutRuntime({{"ORU_TEST_LONG", std::string(100000, 'l')}}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kNotFound);
}

TEST(SurroundingsTest, RunningOutOfMemoryEndsAsAFailedStart) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    if (*ORU_TEST_EMULATOR) GTEST_SKIP() << "the emulator itself needs more address space";
    ScratchDirectory dir;
    std::string exe = packApp(dir, "tool", {"jre_order c", "mainclass app.Main"});
    // A thousand options of 120 KB each: 120 MB of option text, in a process allowed
    // 100 MB of address space.
    std::string cfg;
    for (int i = 0; i < 1000; ++i) cfg += "option %ORU_TEST_LONG%\r\n";
    dir.write("tool.cfg", cfg);
    RunResult run =
        runProgram("/bin/sh", {{"-c", "ulimit -v 100000 && exec \"$0\"", exe},
                               withoutRuntime({{"ORU_TEST_LONG", std::string(120000, 'l')}})});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kStartFailed);
}

}  // namespace
}  // namespace oru::testing
