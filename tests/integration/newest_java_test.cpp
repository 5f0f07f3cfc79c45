// The newest Java on the machine (24 or later warns where native access is not granted,
// and a later release will refuse it): packed applications print what java prints.
#include <gtest/gtest.h>

#include <filesystem>

#include "bridge_app.h"
#include "java_probe.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

// `exe` copied into `dir` with a configuration file that runs it on `runtime`.
std::string onRuntime(const ScratchDirectory& dir, const std::string& exe,
                      const TestRuntime& runtime, const std::string& more = "") {
    const std::string copy = dir.path() + "app";
    fs::copy_file(exe, copy);
    dir.write("app.cfg", "jre_order c\r\njvmdll " + runtime.library + "\r\n" + more);
    return copy;
}

TEST(NewestJavaTest, TheSampleIsSilentAlsoWhenNativeAccessIsDenied) {
    const TestRuntime newest = newestRuntime(24);
    if (!newest.feature) GTEST_SKIP() << "skipped: no Java 24+";
    for (const char* more : {"", "option --illegal-native-access=deny\r\n"}) {
        ScratchDirectory dir;
        const RunResult run = runProgram(onRuntime(dir, ORU_SAMPLE_EXECUTABLE, newest, more),
                                         {{}, cleanEnvironment()});
        EXPECT_EQ(run.exitCode, 0) << more;
        EXPECT_EQ(run.err, "") << more;
        EXPECT_NE(run.out.find("Running on Java " + std::to_string(newest.feature)),
                  std::string::npos)
            << run.out;
    }
}

// Java-side classes that catch nothing cannot start where the user denies native access;
// the trace names the class and the runtime's refusal.
TEST(NewestJavaTest, ARefusedLoadIsNamedInTheTrace) {
    const TestRuntime newest = newestRuntime(24);
    if (!newest.feature) GTEST_SKIP() << "skipped: no Java 24+";
    ScratchDirectory dir;
    tools::ZipWriter archive;
    addJavaSideClasses(archive, ORU_JAVA_SIDE_CLASSES_PLAIN);
    archive.add("t.jar", applicationJar());
    packLauncher(dir.path() + "plain", archive, {"mainclass bridge.Probe"});
    const std::string trace = dir.path() + "trace.txt";
    const RunResult run = runProgram(
        onRuntime(dir, dir.path() + "plain", newest, "option --illegal-native-access=deny\r\n"),
        {{}, cleanEnvironment({{"ORU_TRACE", trace}})});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(readFile(trace).find("bridge: com/vostrand/oru/KestrunClassLoader: "
                                   "java.lang.ExceptionInInitializerError caused by "
                                   "java.lang.IllegalCallerException"),
              std::string::npos)
        << readFile(trace);
}

}  // namespace
}  // namespace oru::testing
