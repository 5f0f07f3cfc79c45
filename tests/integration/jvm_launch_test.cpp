// The launcher with the real runtime: arguments, options, version requirement, main
// class outcomes, threads that outlive main, the configuration file and forcecwd.
#include <gtest/gtest.h>

#include <filesystem>

#include "java_probe.h"

namespace oru::testing {
namespace {

TEST(JvmLaunchTest, MainReceivesTheArgumentsUnchanged) {
    ScratchDirectory dir;
    std::string exe = packApp(dir, "report", probeConfiguration("probe.Report"));
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> expected;  // as reported, non-ASCII escaped
    } cases[] = {
        {{}, {}},
        {{"one", "--two", "-Dthree=3"}, {"one", "--two", "-Dthree=3"}},
        {{"with blanks inside", "", "\"quoted\""}, {"with blanks inside", "", "\"quoted\""}},
        {{"gr\xC3\xBC\xC3\x9F", "\xE4\xB8\xAD\xE6\x96\x87"},
         {"gr\\u00FC\\u00DF", "\\u4E2D\\u6587"}},
    };
    for (const Case& c : cases) {
        RunResult run = runProgram(exe, {c.arguments, cleanEnvironment()});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(reported(run.out, "argc"), std::to_string(c.expected.size()));
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(reported(run.out, "arg" + std::to_string(i)), c.expected[i]) << i;
    }
}

TEST(JvmLaunchTest, OptionsReachTheMachineInTheirOrder) {
    ScratchDirectory dir;
    std::string exe = packApp(
        dir, "report",
        probeConfiguration("probe.Report",
                           {"option -Dprobe.order=option", "option -Xno-such-option",
                            "property probe.order=%ORU_TEST_ORDER%", "property java.class.path=x",
                            "property oru.app.path=fake", "option -Dprobe.order=option",
                            "property java.protocol.handler.pkgs=a.b|c.d"}));
    RunResult run = runProgram(exe, {{}, cleanEnvironment({{"ORU_TEST_ORDER", "property"}})});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "") << "an unknown -X option does not stop the machine";
    EXPECT_EQ(reported(run.out, "probe.order"), "property");
    EXPECT_EQ(reported(run.out, "java.class.path"), exe + ":" + testProgramsJar());
    EXPECT_EQ(reported(run.out, "oru.app.path"), exe);
    EXPECT_EQ(reported(run.out, "application.home"), dir.path());
    EXPECT_EQ(reported(run.out, "java.protocol.handler.pkgs"), "com.vostrand|a.b|c.d");
    // The machine lists the options it was given (the class path apart).
    // The launcher's own come first (the test runtimes are Java 17), then every "option"
    // entry, then every "property" entry.
    std::vector<std::string> expected = {"--enable-native-access=ALL-UNNAMED"};
    const std::vector<std::string> testOptions = testVmOptions();
    expected.insert(expected.end(), testOptions.begin(), testOptions.end());
    expected.insert(expected.end(), {"-Dprobe.order=option", "-Xno-such-option",
                                     "-Dprobe.order=option", "-Dprobe.order=property",
                                     "-Doru.app.path=fake", "-Djava.protocol.handler.pkgs=a.b|c.d",
                                     "-Doru.app.path=" + exe, "-Dapplication.home=" + dir.path()});
    EXPECT_EQ(reportedAll(run.out, "option"), expected);
}

TEST(JvmLaunchTest, VersionRequirement) {
    ScratchDirectory dir;
    struct Case {
        const char* minjre;  // null: no line
        bool runs;
    } cases[] = {{nullptr, true},  {"", true},        {"1.6", true}, {"17.0", true},
                 {"999.0", false}, {"17.999", false}, {"junk", true}};
    for (const Case& c : cases) {
        std::vector<std::string> more;
        if (c.minjre) more.push_back(std::string("minjre ") + c.minjre);
        std::string exe = packApp(dir, "report", probeConfiguration("probe.Report", more));
        RunResult run = runProgram(exe, {{}, cleanEnvironment()});
        std::string label = c.minjre ? c.minjre : "<none>";
        EXPECT_EQ(run.exitCode, c.runs ? 0 : 1) << label;
        EXPECT_EQ(reported(run.out, "argc") == "0", c.runs) << label;
        if (c.runs) {
            EXPECT_EQ(run.err, "") << label;
        } else {
            // "17.0.15+6-..." gives 17 and 0.
            EXPECT_EQ(run.err, "Error: Java virtual machine version 17.0 is too low, require " +
                                   std::string(c.minjre) + " or higher.\n")
                << label;
        }
    }
}

TEST(JvmLaunchTest, MainClassOutcomes) {
    ScratchDirectory dir;
    const std::string notFound = "Error: The main startup class could not be found.\n";
    const std::string noMain = "Error: The main startup class is not valid, main method missing.\n";
    // The exit codes are java's: 1 for a failed start or a main that threw.
    struct Case {
        const char* mainClass;
        std::string out;
        std::string errContains;
        std::string errEnds;
        int exitCode;
    } cases[] = {
        {"probe.Missing", "", "ClassNotFoundException: probe.Missing", notFound, 1},
        {"", "", "NoClassDefFoundError", notFound, 1},
        {"probe.NoMain", "", "NoSuchMethodError", noMain, 1},
        {"probe.InstanceMain", "", "NoSuchMethodError", noMain, 1},
        {"probe.Thrower", "before\n",
         "Exception in thread \"main\" java.lang.IllegalStateException: thrown by main", "", 1},
        {"probe.LateThread", "main returned\nworker finished\n", "", "", 0},
        {"probe.Gr\xC3\xB6\xC3\x9F"
         "e",
         "non-ASCII main class ran\n", "", "", 0},
        {"probe.Exiter", "exiting\n", "", "", 7},
    };
    for (const Case& c : cases) {
        std::string exe = packApp(dir, "app", probeConfiguration(c.mainClass));
        RunResult run = runProgram(exe, {{}, cleanEnvironment()});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.mainClass;
        EXPECT_EQ(run.out, c.out) << c.mainClass;
        EXPECT_NE(run.err.find(c.errContains), std::string::npos) << c.mainClass << ": " << run.err;
        bool endsRight =
            run.err.size() >= c.errEnds.size() &&
            run.err.compare(run.err.size() - c.errEnds.size(), c.errEnds.size(), c.errEnds) == 0;
        EXPECT_TRUE(endsRight) << c.mainClass << ": " << run.err;
        if (c.errEnds.empty()) {
            EXPECT_EQ(run.err.find("Error: "), std::string::npos) << run.err;
        }
    }
}

TEST(JvmLaunchTest, ConfigurationFileAndForcedDirectory) {
    ScratchDirectory dir;
    std::string start = dir.makeDirectory("start");
    std::string sub = dir.makeDirectory("app/sub");
    std::string exe =
        packApp(dir, "app/tool", probeConfiguration("probe.Report", {"minjre 999.0"}));
    RunOptions options({}, cleanEnvironment(), start);

    RunResult refused = runProgram(exe, options);
    EXPECT_NE(refused.err.find("require 999.0 or higher"), std::string::npos) << refused.err;

    // The file beside the executable comes first, so its minjre wins; mainclass is read
    // from the archive comment alone.
    dir.write("app/tool.cfg", "minjre 1.0\r\nmainclass probe.NoMain\r\nforcecwd sub\r\n");
    RunResult run = runProgram(exe, options);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(reported(run.out, "argc"), "0") << "the archive's main class ran";
    EXPECT_EQ(reported(run.out, "user.dir"), sub);

    dir.write("app/tool.cfg", "minjre 1.0\r\nforcecwd missing-directory\r\n");
    run = runProgram(exe, options);
    EXPECT_EQ(reported(run.out, "user.dir"), start) << "a missing directory changes nothing";
    dir.write("app/tool.cfg", "minjre 1.0\r\nforcecwd ..\r\n");
    run = runProgram(exe, options);
    EXPECT_EQ(reported(run.out, "user.dir"),
              std::filesystem::path(dir.path()).parent_path().string());
}

}  // namespace
}  // namespace oru::testing
