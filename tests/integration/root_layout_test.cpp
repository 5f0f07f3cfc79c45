// oru-pack --layout root: the jars merged at the executable's root, run against java -cp on
// the same jars, one probe and one row per observable; and a conflict refused.
#include <gtest/gtest.h>

#include "java_probe.h"

namespace oru::testing {
namespace {

const std::string kJars = std::string(ORU_ROOT_LAYOUT_JARS) + "/";
const std::string kApp = kJars + "app.jar";
const std::string kLib = kJars + "lib.jar";  // signed, multi-release
const std::string kAppLoader = "jdk.internal.loader.ClassLoaders$AppClassLoader";

RunResult pack(const std::string& exe, const TestRuntime& runtime,
               const std::vector<std::string>& more) {
    std::vector<std::string> args = {
        "--launcher", launcherPath(), "-o",    exe, "--config", "jvmdll " + runtime.library,
        "--layout",   "root",         "--jar", kApp};
    args.insert(args.end(), more.begin(), more.end());
    for (const std::string& option : testVmOptions()) args.insert(args.end(), {"--option", option});
    return runProgram(ORU_PACK_PATH, {args});
}

TEST(RootLayoutTest, WhatJavaCpShowsOfTheSameJars) {
    for (const TestRuntime& runtime : testRuntimes()) {
        SCOPED_TRACE(runtime.home);
        ScratchDirectory dir;
        const std::string exe = dir.path() + "app";
        const RunResult packed = pack(exe, runtime, {"--lib", kLib});
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_EQ(packed.err, "oru-pack: warning: " + kApp + " and " + kLib +
                                  " both hold 1 class; the application gets the copy in " + kApp +
                                  "\n");
        EXPECT_EQ(runProgram(ORU_PACK_PATH, {{"--list", exe}}).out.substr(0, 12), "layout root\n");
        std::vector<std::string> javaArgs = testVmOptions();
        if (runtime.library.find("/client/") != std::string::npos) javaArgs.push_back("-client");
        javaArgs.insert(javaArgs.end(), {"-cp", kApp + ":" + kLib, "rootapp.Main"});
        const RunResult java =
            runProgram(runtime.home + "/bin/java", {javaArgs, cleanEnvironment()});
        const RunResult run = runProgram(exe, {{}, cleanEnvironment()});
        ASSERT_EQ(java.exitCode, 0) << java.err;
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, java.err);
        const struct {
            const char* fact;
            std::string expected;
        } rows[] = {
            // Every class defined by java's own class loader, which archives can hold.
            {"loaders", kAppLoader + "," + kAppLoader},
            {"twice", "app"},               // a class in two jars: the first on the class path
            {"providers", "app,lib"},       // a provider from each jar, in class path order
            {"appversion", "1.0-app"},      // each package its own jar's attributes
            {"libversion", "2.1-rootlib"},  // the jar's package section first
            {"libtitle", "the library"},    // then the jar's main section
            {"multirelease", runtime.feature >= 17 ? "17" : "base"},
            {"libresource", "data of the library"},  // a library class's own resource
            // The package listed through its folder's URL.
            {"listing", "rootapp/AppGreeter.class,rootapp/Greeter.class,rootapp/Main.class"},
            {"licence", "licence of the application"},  // of two licences the first
        };
        for (const auto& row : rows) {
            EXPECT_EQ(reported(java.out, row.fact), row.expected) << "java -cp: " << row.fact;
            EXPECT_EQ(reported(run.out, row.fact), row.expected) << row.fact;
        }
        // A root class's own URL in the jar: form that java -jar gives.
        EXPECT_EQ(reported(java.out, "classurl"), "jar:file:" + kApp + "!/rootapp/Main.class");
        EXPECT_EQ(reported(run.out, "classurl"), "jar:file:" + exe + "!/rootapp/Main.class");
        // Entries keep their jar's times (Clojure compiles a source not older than its class).
        EXPECT_EQ(reported(run.out, "modified"), reported(java.out, "modified"));
        EXPECT_NE(reported(java.out, "modified"), "315532800000") << "a time of its own";
    }
}

TEST(RootLayoutTest, AResourceTwoJarsHoldWithOtherBytesIsRefused) {
    const TestRuntime runtime = testRuntimes().front();
    ScratchDirectory dir;
    const RunResult packed = pack(dir.path() + "app", runtime, {"--lib", kJars + "conflict.jar"});
    EXPECT_EQ(packed.exitCode, 1);
    EXPECT_EQ(packed.err, "oru-pack: " + kApp + " and " + kJars +
                              "conflict.jar both hold conf/settings.txt with different contents; "
                              "--layout root keeps one copy of each name\n");
}

}  // namespace
}  // namespace oru::testing
