// The launcher with the real runtime: arguments, options, version requirement, main
// class outcomes, the main methods and JavaFX applications that java starts, threads that
// outlive main, the configuration file and forcecwd.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "java_probe.h"

namespace oru::testing {
namespace {

const std::string kNoMain = "Error: The main startup class is not valid, main method missing.\n";
const std::string kJava25Home = "/usr/lib/jvm/temurin-25-jdk-amd64";
const std::string kOpenJfx = "/usr/share/openjfx/lib";

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A runtime to compare the launcher with java on: its home and virtual-machine library.
struct Runtime {
    std::string home;
    std::string library;
};

Runtime buildRuntime() { return {jdkHome(), jdkLibrary()}; }

// Java 25, where the machine has it and the build's launcher can load it (a build for
// another machine cannot).
bool findJava25(Runtime& runtime) {
    runtime = {kJava25Home, kJava25Home + "/lib/server/libjvm.so"};
    return *ORU_TEST_EMULATOR == '\0' && std::filesystem::exists(runtime.library);
}

// java on `runtime` with the options every test machine gets, then `arguments`.
RunResult runJava(const Runtime& runtime, const std::vector<std::string>& arguments,
                  const std::vector<std::string>& wrapper = {}) {
    std::vector<std::string> words = wrapper;
    words.push_back(runtime.home + "/bin/java");
    // The virtual machine the packed side names (the 32-bit runtime has only the client one).
    if (runtime.library.find("/client/") != std::string::npos) words.push_back("-client");
    for (const std::string& option : testVmOptions()) words.push_back(option);
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::string program = words.front();
    words.erase(words.begin());
    return runProgram(program, {words, cleanEnvironment()});
}

// `exe` run with `arguments` (under `wrapper`, if any), its trace written to `trace`.
RunResult runTraced(const std::string& exe, const std::vector<std::string>& arguments,
                    const std::string& trace, const std::vector<std::string>& wrapper = {}) {
    std::remove(trace.c_str());
    std::vector<std::string> words = wrapper;
    words.push_back(exe);
    words.insert(words.end(), arguments.begin(), arguments.end());
    const std::string program = words.front();
    words.erase(words.begin());
    return runProgram(program, {words, cleanEnvironment({{"ORU_TRACE", trace}})});
}

// Whether the launcher started or refused the class as java did: the same output and
// exit code; where java refused it, message 8, and otherwise what main threw, as java
// printed it.
void expectAsJava(const RunResult& packed, const RunResult& java, const std::string& label,
                  bool sameErrors = true) {
    EXPECT_EQ(packed.exitCode, java.exitCode) << label << ": " << packed.err;
    EXPECT_EQ(packed.out, java.out) << label;
    if (java.err.rfind("Error: ", 0) == 0) {
        EXPECT_TRUE(endsWith(packed.err, kNoMain)) << label << ": " << packed.err;
    } else if (sameErrors) {
        EXPECT_EQ(packed.err, java.err) << label;
    }
}

// The main methods of probe/MainKinds.java, each started or refused as java -cp on the
// same runtime does it.
void expectMainsAsJava(const Runtime& runtime, bool java25) {
    ScratchDirectory dir;
    const struct {
        const char* mainClass;
        std::string java25Out;  // what java 25 prints; empty: it refuses the class
        std::string chosen;     // the main it runs there
    } rows[] = {
        {"probe.StaticArgs", "static main(String[]) 2\n", "static main(String[])"},
        {"probe.StaticNoArgs", "static main()\n", "static main()"},
        {"probe.InstanceNoArgs", "instance main() of InstanceNoArgs\n", "instance main()"},
        {"probe.InstanceArgs", "instance main(String[]) 2\n", "instance main(String[])"},
        {"probe.NoMain", "", ""},
        {"probe.ArgsBeforeStatic", "instance main(String[]) 2\n", "instance main(String[])"},
        {"probe.PrivateArgs", "instance main()\n", "instance main()"},
        {"probe.InheritedMain", "instance main() of InheritedMain\n", "instance main()"},
        {"probe.PrivateConstructor", "", ""},
        {"probe.InstanceThrows", "before\n", "instance main()"},
    };
    const std::vector<std::string> arguments = {"a", "b"};
    const std::string trace = dir.path() + "trace.txt";
    for (const auto& row : rows) {
        const std::string label = runtime.home + " " + row.mainClass;
        std::vector<std::string> javaArguments = {"-cp", testProgramsJar(), row.mainClass};
        javaArguments.insert(javaArguments.end(), arguments.begin(), arguments.end());
        const RunResult java = runJava(runtime, javaArguments);
        if (java25) {
            ASSERT_EQ(java.out, row.java25Out) << label << ": " << java.err;
        }
        const std::string exe =
            packApp(dir, "app",
                    {"jvmdll " + runtime.library, "jre_order c", "classpath " + testProgramsJar(),
                     std::string("mainclass ") + row.mainClass});
        const RunResult packed = runTraced(exe, arguments, trace);
        expectAsJava(packed, java, label);
        if (!java.out.empty()) {
            const std::string call = "main: calling " + row.chosen;
            EXPECT_NE(readFile(trace).find(call), std::string::npos)
                << label << ": no \"" << call << "\" in\n"
                << readFile(trace);
        }
    }
}

TEST(JvmLaunchTest, MainMethodsAsJavaStartsThem) { expectMainsAsJava(buildRuntime(), false); }

TEST(JvmLaunchTest, MainMethodsAsJava25StartsThem) {
    Runtime java25;
    if (!findJava25(java25)) GTEST_SKIP() << "skipped: no Java 25 at " << kJava25Home;
    expectMainsAsJava(java25, true);
}

// A JavaFX application without main, compiled here against the machine's OpenJFX and
// packed by oru-pack, on a headless X server: java hands it to JavaFX when javafx.graphics
// is a module, and refuses it when JavaFX is only on the class path.
TEST(JvmLaunchTest, JavaFxApplicationAsJavaStartsIt) {
    if (!std::filesystem::exists(kOpenJfx + "/javafx.graphics.jar"))
        GTEST_SKIP() << "skipped: no OpenJFX in " << kOpenJfx << " (Debian's openjfx)";
    if (!std::filesystem::exists("/usr/bin/xvfb-run")) GTEST_SKIP() << "skipped: no Xvfb";
    if (*ORU_TEST_EMULATOR != '\0') GTEST_SKIP() << "skipped: OpenJFX is this machine's own";
    ScratchDirectory dir;
    const std::string classes = dir.path() + "classes", jar = dir.path() + "fx.jar";
    const RunResult compiled = runProgram(
        jdkHome() + "/bin/javac", {{"--release", "11", "--module-path", kOpenJfx, "--add-modules",
                                    "javafx.controls", "-d", classes, ORU_JAVAFX_PROBE_SOURCE}});
    ASSERT_EQ(compiled.exitCode, 0) << compiled.err;
    const RunResult jarred =
        runProgram(jdkHome() + "/bin/jar", {{"--create", "--file", jar, "-C", classes, "."}});
    ASSERT_EQ(jarred.exitCode, 0) << jarred.err;

    std::vector<Runtime> runtimes = {buildRuntime()};
    Runtime java25;
    if (findJava25(java25)) runtimes.push_back(java25);
    const std::string jars = kOpenJfx + "/javafx.base.jar:" + kOpenJfx +
                             "/javafx.graphics.jar:" + kOpenJfx + "/javafx.controls.jar";
    const struct {
        const char* label;
        std::vector<std::string> javaOptions;  // java's command line before -cp
        std::vector<std::string> packOptions;  // oru-pack's
        std::string classPath;                 // after the application jar
    } rows[] = {
        {"modules",
         {"--module-path", kOpenJfx, "--add-modules", "javafx.controls"},
         {"--option", "--module-path=" + kOpenJfx, "--option", "--add-modules=javafx.controls"},
         ""},
        {"class path", {}, {"--config", "classpath " + jars}, ":" + jars},
    };
    const std::vector<std::string> xvfb = {"/usr/bin/xvfb-run", "-a"};
    const std::string exe = dir.path() + "fx", trace = dir.path() + "trace.txt";
    for (const Runtime& runtime : runtimes) {
        for (const auto& row : rows) {
            const std::string label = runtime.home + " " + row.label;
            std::vector<std::string> javaArguments = row.javaOptions;
            javaArguments.insert(javaArguments.end(),
                                 {"-cp", jar + row.classPath, "probe.FxStart", "a"});
            const RunResult java = runJava(runtime, javaArguments, xvfb);
            if (java.out.empty()) std::cout << label << ": java -cp does not start it there\n";

            std::vector<std::string> pack = {"--launcher",   launcherPath(),
                                             "-o",           exe,
                                             "--jar",        jar,
                                             "--main-class", "probe.FxStart",
                                             "--config",     "jvmdll " + runtime.library,
                                             "--config",     "jre_order c"};
            pack.insert(pack.end(), row.packOptions.begin(), row.packOptions.end());
            for (const std::string& option : testVmOptions())
                pack.insert(pack.end(), {"--option", option});
            const RunResult packed = runProgram(ORU_PACK_PATH, {pack});
            ASSERT_EQ(packed.exitCode, 0) << packed.err;
            // JavaFX's own failures reach the two by different stacks.
            expectAsJava(runTraced(exe, {"a"}, trace, xvfb), java, label, false);
            const bool handedOver =
                readFile(trace).find("main: calling JavaFX's launcher") != std::string::npos;
            EXPECT_EQ(handedOver, row.javaOptions.size() > 0) << label << "\n" << readFile(trace);
        }
    }
}

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
    const std::string& noMain = kNoMain;
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
        EXPECT_TRUE(endsWith(run.err, c.errEnds)) << c.mainClass << ": " << run.err;
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
