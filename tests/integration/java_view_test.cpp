// What an application sees of its own world, packed and under java -cp on the same jars:
// one probe, one row per observable.
#include <gtest/gtest.h>

#include <cstdlib>

#include "java_probe.h"

namespace oru::testing {
namespace {

const std::string kAppJar = std::string(ORU_WORLD_JARS) + "/app.jar";
const std::string kMultiReleaseJar = std::string(ORU_WORLD_JARS) + "/mr.jar";
const char kHandlers[] = "java.protocol.handler.pkgs=world.handlers";
// An emulated machine cannot take the stack overflow of the depth probe: it stays shallow.
const bool kEmulated = *ORU_TEST_EMULATOR != '\0';
const std::vector<std::string> kProbeArguments =
    kEmulated ? std::vector<std::string>{"shallow"} : std::vector<std::string>{};

std::string packWorld(const ScratchDirectory& dir, const std::vector<std::string>& more = {}) {
    const std::string exe = dir.path() + "world";
    std::vector<std::string> args = {"--launcher", launcherPath(),
                                     "-o",         exe,
                                     "--config",   "jvmdll " + jdkLibrary(),
                                     "--jar",      kAppJar,
                                     "--lib",      kMultiReleaseJar,
                                     "--option",   "-Xss64m",
                                     "--property", kHandlers};
    args.insert(args.end(), more.begin(), more.end());
    for (const std::string& option : testVmOptions()) args.insert(args.end(), {"--option", option});
    RunResult packed = runProgram(ORU_PACK_PATH, {args});
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    return exe;
}

RunResult runJava(const Environment& environment) {
    // The virtual machine the packed side names (the 32-bit runtime has only the client one).
    std::vector<std::string> args;
    if (jvmBelowHome().find("/client/") != std::string::npos) args.push_back("-client");
    for (const std::string& option : testVmOptions()) args.push_back(option);
    args.insert(args.end(), {"-Xss64m", std::string("-D") + kHandlers, "-cp",
                             kAppJar + ":" + kMultiReleaseJar, "world.World"});
    args.insert(args.end(), kProbeArguments.begin(), kProbeArguments.end());
    return runProgram(jdkHome() + "/bin/java", {args, environment});
}

TEST(JavaViewTest, PackedApplicationSeesWhatJavaCpShows) {
    ScratchDirectory dir;
    const std::string exe = packWorld(dir);
    const RunResult java = runJava(cleanEnvironment());
    ASSERT_EQ(java.exitCode, 0) << java.err;
    for (const char* locale : {"C.UTF-8", "zh_CN.GBK", "zh_TW.BIG5"}) {
        const RunResult run = runProgram(exe, {kProbeArguments, inLocale(locale)});
        EXPECT_EQ(run.exitCode, 0) << locale;
        EXPECT_EQ(run.err, "") << locale;
        const struct {
            const char* fact;
            std::string expected;  // empty: as java -cp reports it
        } rows[] = {
            {"handler", "scheme hello"},     // java.protocol.handler.pkgs
            {"systemclass", "world.World"},  // the system class loader sees packed classes
            {"systemresource", "x in dir"},
            {"codesource", "file:" + exe},  // java -cp: the jar's file: URL
            {"implversion", "4.5.6"},       // the package's own section first
            {"specversion", "1.2"},         // then the main section
            {"impltitle", "World probe"},
            {"relative", "y beside x"},
            {"parent", "z above"},
            {"uri", "x in dir"},
            {"spaced", "spaced out"},
            {"utf8resource", "\\u4E2D\\u6587 text"},
            {"utf8class", "Gr\\u00FC\\u00DFe"},
            {"length", ""},
            {"lengthheader", ""},
            {"modified", ""},
            {"multirelease", "11"},
        };
        for (const auto& row : rows) {
            const std::string& want =
                row.expected.empty() ? reported(java.out, row.fact) : row.expected;
            if (row.fact != std::string("codesource")) {
                EXPECT_EQ(reported(java.out, row.fact), want) << "java -cp: " << row.fact;
            }
            EXPECT_EQ(reported(run.out, row.fact), want) << locale << ": " << row.fact;
        }
        EXPECT_EQ(reported(java.out, "codesource"), "file:" + kAppJar);
        // Both start main on a thread of the configured stack size.
        if (kEmulated) continue;
        const double depth = std::atof(reported(run.out, "depth").c_str());
        const double javaDepth = std::atof(reported(java.out, "depth").c_str());
        EXPECT_NEAR(depth / javaDepth, 1.0, 0.1) << locale << ": " << depth << " vs " << javaDepth;
    }
}

}  // namespace
}  // namespace oru::testing
