// The class-data archive that a packed application keeps in the user's cache: written by
// the first run, used by the next, on Java 17 and on the newest Java installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "java_probe.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

// The sample copied into `dir` as "app", run on `runtime` with the archive on; `more`
// adds configuration lines beside it.
std::string sampleWithCache(const ScratchDirectory& dir, const TestRuntime& runtime,
                            const std::string& more = "", const std::string& library = "") {
    const std::string copy = dir.path() + "app";
    if (!fs::exists(copy)) fs::copy_file(ORU_SAMPLE_EXECUTABLE, copy);
    dir.write("app.cfg", "jre_order c\njvmdll " + (library.empty() ? runtime.library : library) +
                             "\naotcache true\n" + more);
    return copy;
}

// The sample is packed for the build's own machine only.
class AotCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(ORU_SAMPLE_EXECUTABLE)) GTEST_SKIP() << "no sample in a cross build";
    }
};

// The names of the files in the application's cache folder below `cache`.
std::vector<std::string> archives(const std::string& cache) {
    std::vector<std::string> names;
    if (fs::is_directory(cache + "oru/app"))
        for (const auto& entry : fs::directory_iterator(cache + "oru/app"))
            names.push_back(entry.path().filename().string());
    return names;
}

RunResult runIn(const std::string& exe, const std::string& cache) {
    return runProgram(exe, {{}, cleanEnvironment({{"XDG_CACHE_HOME", cache}})});
}

TEST_F(AotCacheTest, TheFirstRunWritesTheArchiveAndTheNextUseIt) {
    for (const TestRuntime& runtime : testRuntimes()) {
        ScratchDirectory dir;
        const std::string cache = dir.makeDirectory("cache") + "/";
        const std::string exe = sampleWithCache(dir, runtime);
        const RunResult first = runIn(exe, cache);
        EXPECT_EQ(first.exitCode, 0);
        EXPECT_EQ(first.err, "") << runtime.feature;
        ASSERT_EQ(archives(cache).size(), 1u) << runtime.feature;  // no pending file left
        const RunResult later = runIn(exe, cache);
        EXPECT_EQ(later.err, "") << runtime.feature;
        EXPECT_EQ(later.out, first.out);
        // The runtime's own log, to a file, says where the application's classes came from.
        const std::string log = dir.path() + "load.txt";
        runIn(sampleWithCache(dir, runtime, "option -Xlog:class+load:file=" + log + "\n"), cache);
        EXPECT_NE(readFile(log).find("sample.Hello source: shared objects file"), std::string::npos)
            << runtime.feature;
        EXPECT_EQ(archives(cache).size(), 1u);
    }
}

// System.exit ends the process inside the runtime: the archive is put in place all the same.
TEST_F(AotCacheTest, AnApplicationThatCallsSystemExitGetsItsArchive) {
    for (const TestRuntime& runtime : testRuntimes()) {
        ScratchDirectory dir;
        const std::string cache = dir.makeDirectory("cache") + "/";
        const std::string exe =
            packApp(dir, "app",
                    {"jvmdll " + runtime.library, "jre_order c", "classpath " + testProgramsJar(),
                     "mainclass probe.Exiter", "aotcache true"});
        const RunResult run = runIn(exe, cache);
        EXPECT_EQ(run.exitCode, 7);
        EXPECT_EQ(run.err, "") << runtime.feature;
        const std::vector<std::string> names = archives(cache);
        ASSERT_EQ(names.size(), 1u) << runtime.feature;
        EXPECT_EQ(names[0].find(".tmp"), std::string::npos) << names[0];
    }
}

TEST_F(AotCacheTest, OruPackWritesTheLineThatTurnsItOn) {
    ScratchDirectory dir;
    const std::string exe = dir.path() + "app";
    const RunResult packed =
        runProgram(ORU_PACK_PATH, {{"--launcher", launcherPath(), "--jar", testProgramsJar(),
                                    "--main-class", "probe.Exiter", "--aot-cache", "-o", exe}});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_NE(runProgram(ORU_PACK_PATH, {{"--list", exe}}).out.find("\naotcache true\n"),
              std::string::npos);
}

TEST_F(AotCacheTest, AChangedExecutableGetsANewArchive) {
    ScratchDirectory dir;
    const std::string cache = dir.makeDirectory("cache") + "/";
    const std::string exe = sampleWithCache(dir, testRuntimes()[0]);
    runIn(exe, cache);
    fs::last_write_time(exe, fs::last_write_time(exe) + std::chrono::hours(1));
    EXPECT_EQ(runIn(exe, cache).err, "");
    EXPECT_EQ(archives(cache).size(), 2u);
}

// A cache folder that cannot be made, or a relative XDG_CACHE_HOME (which does not count:
// ~/.cache is used), still runs the application as without an archive.
TEST_F(AotCacheTest, TheCacheFolderIsFoundOrTheRunGoesOnWithoutIt) {
    ScratchDirectory dir;
    const std::string exe = sampleWithCache(dir, testRuntimes()[0]);
    const std::string notAFolder = dir.write("file", "x");
    const RunResult blocked =
        runProgram(exe, {{}, cleanEnvironment({{"XDG_CACHE_HOME", notAFolder + "/cache"}})});
    EXPECT_EQ(blocked.exitCode, 0);
    EXPECT_EQ(blocked.err, "");
    EXPECT_NE(blocked.out.find("Hello from"), std::string::npos);
    const RunResult relative = runProgram(
        exe, {{}, cleanEnvironment({{"XDG_CACHE_HOME", "cache"}, {"HOME", dir.path()}})});
    EXPECT_EQ(relative.err, "");
    EXPECT_EQ(archives(dir.path() + ".cache/").size(), 1u);
    EXPECT_FALSE(fs::exists(dir.path() + "cache"));
}

TEST_F(AotCacheTest, TwoFirstRunsAtOnceBothSucceed) {
    for (const TestRuntime& runtime : testRuntimes()) {
        ScratchDirectory dir;
        const std::string cache = dir.makeDirectory("cache") + "/";
        const std::string exe = sampleWithCache(dir, runtime);
        RunResult runs[2];
        std::thread other([&] { runs[1] = runIn(exe, cache); });
        runs[0] = runIn(exe, cache);
        other.join();
        for (const RunResult& run : runs) {
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_EQ(run.err, "") << runtime.feature;
        }
        EXPECT_EQ(archives(cache).size(), 1u) << runtime.feature;
        const RunResult later = runIn(exe, cache);
        EXPECT_EQ(later.err, "");
        EXPECT_EQ(later.out, runs[0].out);
    }
}

// A dynamic archive extends the runtime's base archives: where none lie beside the library
// (32-bit runtimes, images made without them), a runtime before 25 would refuse to start
// with one, so the run goes on without. The library is reached through a link, in a folder
// that holds no base archive.
TEST_F(AotCacheTest, ARuntimeWithoutBaseArchivesRunsWithoutOne) {
    for (const TestRuntime& runtime : testRuntimes()) {
        if (runtime.feature >= 25) continue;
        ScratchDirectory dir;
        const std::string cache = dir.makeDirectory("cache") + "/";
        const std::string library = dir.makeDirectory("runtime") + "/libjvm.so";
        fs::create_symlink(runtime.library, library);
        const RunResult run = runIn(sampleWithCache(dir, runtime, "", library), cache);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(archives(cache).size(), 0u);
    }
}

}  // namespace
}  // namespace oru::testing
