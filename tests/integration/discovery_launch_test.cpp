// The launcher finding the real runtime through each source, the class path reaching
// the machine, and the runtime failures that stop a launch (messages 1, 2 and 4).
#include <gtest/gtest.h>

#include <filesystem>

#include "java_probe.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

const char kNotFound[] = "Error: Java Runtime Environment not found.\n";

// Configuration lines that run probe.Report with `discovery` deciding the runtime.
std::vector<std::string> reportWith(const std::vector<std::string>& discovery) {
    std::vector<std::string> lines = {"classpath " + testProgramsJar(), "mainclass probe.Report"};
    lines.insert(lines.end(), discovery.begin(), discovery.end());
    return lines;
}

bool ran(const RunResult& run) { return run.exitCode == 0 && reported(run.out, "argc") == "0"; }

TEST(DiscoveryLaunchTest, ConfiguredLibrary) {
    ScratchDirectory dir;
    std::string start = dir.makeDirectory("start");
    dir.makeDirectory("app");
    // "rt" beside the executable leads to the JDK; "rt2", only in the start-up directory,
    // is no runtime of the application's: a library there is never loaded.
    fs::create_directory_symlink(jdkHome(), dir.path() + "app/rt");
    fs::create_directory_symlink(jdkHome(), dir.path() + "start/rt2");
    struct Case {
        std::string jvmdll;
        bool runs;
    } cases[] = {
        {jdkLibrary(), true},
        {"rt/" + jvmBelowHome(), true},
        {"rt2/" + jvmBelowHome(), false},
        {"%ORU_TEST_JDK%/" + jvmBelowHome(), true},
        {"missing/libjvm.so", false},
    };
    for (const Case& c : cases) {
        std::string exe =
            packApp(dir, "app/tool", reportWith({"jre_order c", "jvmdll " + c.jvmdll}));
        RunResult run =
            runProgram(exe, {{}, cleanEnvironment({{"ORU_TEST_JDK", jdkHome()}}), start});
        EXPECT_EQ(ran(run), c.runs) << c.jvmdll << ": " << run.err;
        if (!c.runs) {
            EXPECT_EQ(run.err, kNotFound);
        }
    }
}

TEST(DiscoveryLaunchTest, EnvironmentAndSystemSources) {
    ScratchDirectory dir;
    dir.makeDirectory("empty/lib/server");
    fs::create_directory_symlink(jdkHome() + "/bin", dir.path() + "javabin");
    dir.makeDirectory("sub");
    fs::create_directory_symlink(jdkHome() + "/bin", dir.path() + "sub/javabin");
    std::string exe = packApp(dir, "tool", reportWith({"jre_order E"}));
    std::string defaultOrder = packApp(dir, "default", reportWith({}));
    std::string systemOnly = packApp(dir, "system", reportWith({"jre_order s"}));
    std::string pathOnly = packApp(dir, "path", reportWith({"jre_order p"}));
    struct Case {
        std::string exe;
        Environment env;
        bool runs;
    } cases[] = {
        {exe, {{"JAVA_HOME", jdkHome()}}, true},
        {exe, {{"JAVA_HOME", jdkHome() + "/"}}, true},
        {exe, {{"JRE_HOME", dir.path() + "empty"}, {"JAVA_HOME", jdkHome()}}, true},
        {exe, {{"JRE_HOME", jdkHome()}}, true},
        {exe, {{"JAVA_HOME", dir.path() + "empty"}}, false},
        {exe, {}, false},
        // Only `java` on PATH: the system's runtime, found through the link.
        {systemOnly, {{"PATH", dir.path() + "javabin"}}, true},
        {systemOnly, {{"PATH", "/oru-nowhere"}, {"JAVA_HOME", jdkHome()}}, false},
        {defaultOrder, {{"PATH", dir.path() + "javabin"}}, true},
        // The `p` source: the runtime below the directory above PATH's `java`.
        {pathOnly, {{"PATH", "/oru-nowhere:" + dir.path() + "javabin"}}, true},
        {pathOnly, {{"PATH", "/oru-nowhere"}, {"JAVA_HOME", jdkHome()}}, false},
        {defaultOrder, {{"PATH", "/oru-nowhere"}, {"JAVA_HOME", jdkHome()}}, true},
        {defaultOrder, {{"PATH", "/oru-nowhere"}}, false},
        // Relative elements name folders below wherever the program was started: skipped.
        {defaultOrder, {{"PATH", "javabin"}}, false},
        {pathOnly, {{"PATH", "./javabin"}}, false},
        {systemOnly, {{"PATH", "sub/javabin"}}, false},
        {exe, {{"JAVA_HOME", "sub/javabin/.."}}, false},
    };
    for (const Case& c : cases) {
        RunResult run = runProgram(c.exe, {{}, cleanEnvironment(c.env), dir.path()});
        std::string label = c.exe + (c.env.empty() ? ""
                                                   : " " + c.env.front().first + "=" +
                                                         c.env.front().second.value_or(""));
        EXPECT_EQ(ran(run), c.runs) << label << ": " << run.err;
        EXPECT_EQ(run.exitCode, c.runs ? 0 : 1) << label;
        if (!c.runs) {
            EXPECT_EQ(run.err, kNotFound) << label;
        }
    }
}

TEST(DiscoveryLaunchTest, LibrariesThatAreNoRuntime) {
    ScratchDirectory dir;
    struct Case {
        std::string library;
        std::string message;
    } cases[] = {
        {ORU_STAND_IN_NO_ENTRY, "Error: Java Runtime Environment not valid.\n"},
        {ORU_STAND_IN_FAILING, "Error: Java Virtual Machine starts failed.\n"},
        {dir.write("fake/libjvm.so", "not a library"), kNotFound},
    };
    for (const Case& c : cases) {
        std::string exe = packApp(dir, "tool", reportWith({"jre_order c", "jvmdll " + c.library}));
        RunResult run = runProgram(exe, {{}, cleanEnvironment()});
        EXPECT_EQ(run.exitCode, 1) << c.library;
        EXPECT_EQ(run.out, "") << c.library;
        EXPECT_EQ(run.err, c.message) << c.library;
    }
}

// Copies of the runtime's library that cannot load here: one whose ELF class claims the
// other pointer width, and what an interrupted update leaves (an empty file, the first
// half, a text). Each is passed over before it is loaded, and the search goes on.
TEST(DiscoveryLaunchTest, LibrariesThatCannotLoadArePassedOver) {
    ScratchDirectory dir;
    const std::string whole = readFile(jdkLibrary());
    std::string otherWidth = whole;
    otherWidth[4] = static_cast<char>(otherWidth[4] == 1 ? 2 : 1);
    const struct {
        std::string bytes;
        const char* traced;
    } copies[] = {
        {otherWidth, "-bit library, this launcher loads"},
        {"", "not a complete library for this machine"},
        {whole.substr(0, whole.size() / 2), "not a complete library for this machine"},
        {"INPUT(libjvm.so.1)\n", "not a complete library for this machine"},
    };
    for (const auto& copy : copies) {
        const std::string library = dir.write("copy/libjvm.so", copy.bytes);
        for (const char* order : {"jre_order ce", "jre_order c"}) {
            std::string exe = packApp(dir, "tool", reportWith({order, "jvmdll " + library}));
            RunResult run = runProgram(
                exe, {{}, cleanEnvironment({{"JAVA_HOME", jdkHome()}, {"ORU_TRACE", "1"}})});
            const bool alone = std::string(order) == "jre_order c";
            EXPECT_EQ(ran(run), !alone) << order << " " << copy.traced << ": " << run.err;
            EXPECT_NE(run.err.find(copy.traced), std::string::npos) << run.err;
            if (alone) {
                EXPECT_NE(run.err.find(kNotFound), std::string::npos) << run.err;
            }
        }
    }
}

TEST(DiscoveryLaunchTest, ClassPathSources) {
    ScratchDirectory dir;
    std::string jarDir = fs::path(testProgramsJar()).parent_path().string();
    dir.makeDirectory("libs/nested");
    fs::copy_file(testProgramsJar(), dir.path() + "libs/nested/PROGRAMS.JAR");
    fs::create_directory_symlink(dir.path() + "libs", dir.path() + "libs/nested/loop");
    std::vector<std::string> base = {"jre_order c", "jvmdll " + jdkLibrary(),
                                     "mainclass probe.Report"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), base.begin(), base.end());
        return more;
    };
    struct Case {
        std::vector<std::string> configuration;
        Environment env;
        std::string classPathTail;  // after the executable
    } cases[] = {
        {with({"classpath ::%ORU_JARS%/oru_test_programs.jar:"}),
         {{"ORU_JARS", jarDir}},
         ":" + testProgramsJar()},
        {with({}), {{"CLASSPATH", testProgramsJar()}}, ":" + testProgramsJar()},
        {with({}), {{"CLASS_PATH", testProgramsJar()}}, ":" + testProgramsJar()},
        {with({"libs libs"}), {}, ":" + dir.path() + "libs/nested/PROGRAMS.JAR"},
    };
    for (const Case& c : cases) {
        std::string exe = packApp(dir, "tool", c.configuration);
        RunResult run = runProgram(exe, {{}, cleanEnvironment(c.env)});
        EXPECT_TRUE(ran(run)) << run.err;
        EXPECT_EQ(reported(run.out, "java.class.path"), exe + c.classPathTail);
    }
}

}  // namespace
}  // namespace oru::testing
