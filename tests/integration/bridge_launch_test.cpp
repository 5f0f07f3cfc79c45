// A packed application run from the jars inside the executable: classes, resources and
// "oru:" URLs served by the bridge, under the JNI and class-file checkers.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdio>
#include <filesystem>

#include "bridge_app.h"
#include "java_probe.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

// A jar that holds a large entry stored.
std::string storedJar() {
    tools::ZipWriter jar;
    jar.add("c/big.bin", largeEntry(2), tools::ZipMethod::kStored);
    return jar.finish();
}

std::string packBridgeApp(const std::string& path, const char* classes = ORU_JAVA_SIDE_CLASSES,
                          std::vector<std::string> more = {}) {
    tools::ZipWriter archive;
    addJavaSideClasses(archive, classes);
    archive.add("dup.txt", "dup at the top");
    archive.add("my file.txt", "my file");
    archive.add("big.bin", largeEntry(0));
    archive.add("t.jar", applicationJar());
    archive.add("libs/a.jar", libraryJar());
    archive.add("libs/bb.jar", variantJar(), tools::ZipMethod::kStored);
    archive.add("libs/c.jar", storedJar(), tools::ZipMethod::kStored);
    std::vector<std::string> configuration = bridgeConfiguration();
    configuration.insert(configuration.end(), more.begin(), more.end());
    packLauncher(path, archive, configuration);
    return path;
}

struct Expected {
    const char* name;
    std::vector<std::string> values;
};

// Also that -Xcheck:jni, which the bridge configuration turns on, found nothing to say.
void expectReports(const RunResult& run, const std::vector<Expected>& table) {
    for (const Expected& e : table) EXPECT_EQ(reportedAll(run.out, e.name), e.values) << e.name;
    EXPECT_EQ(run.out.find("WARNING"), std::string::npos) << run.out;
}

const char* const kLoader = "com.vostrand.oru.KestrunClassLoader";

// What bridge.Probe reports of reading largeEntry(seed).
std::string large(int seed) {
    const std::string bytes = largeEntry(seed);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%lx",
                  crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
    return "200000 200000 " + std::string(crc) + ", 199990 10 10 -1 0";
}

// What bridge.Probe reports of the classes, resources and URLs of packBridgeApp's archive.
std::vector<Expected> servedFromTheArchive() {
    const std::string bytes = "b in t.jar";
    return {
        {"loader", {kLoader}},
        {"context", {kLoader}},
        {"InApp", {std::string("t.jar by ") + kLoader}},
        {"InLib", {std::string("libs/a.jar by ") + kLoader}},
        {"Twice", {"libs/a.jar"}},  // the shorter archive name wins
        {"Shadowed", {std::string("archive by ") + kLoader}},
        {"NoPackage", {"libs/a.jar"}},
        {"Missing", {"java.lang.ClassNotFoundException"}},
        {"Corrupt", {"java.lang.ClassFormatError"}},
        {"Damaged", {"java.lang.ClassNotFoundException"}},
        {"after", {"still running"}},
        {"splash", {"null"}},
        {"splash calls", {"returned"}},
        {"url", {"oru:t.jar!a/b.txt"}},
        {"content", {bytes}},
        {"text ORU:t.jar!a\\b.txt", {bytes}},
        {"text oru:t.jar!a/b.txt", {bytes}},
        {"text oru:my%20file.txt", {"my file"}},
        {"text oru:my+file.txt", {"my file"}},
        {"missing", {"null"}},
        {"missing stream", {"java.io.FileNotFoundException"}},
        {"missing message", {"oru:missing.txt"}},
        // The executable's own copy comes once, from the built-in loader.
        {"own", {"oru:t.jar!dup.txt", "oru:libs/a.jar!dup.txt"}},
        {"all", {"jar dup at the top", "oru dup in t.jar", "oru dup in a.jar"}},
        {"service", {std::string("ServiceImpl by ") + kLoader}},
        // Deflated at the executable's root, stored in a deflated jar, stored in a stored
        // jar: read whole, then skipped to near the end, alike whether streamed or not.
        {"large big.bin", {large(0)}},
        {"large a/big.bin", {large(1)}},
        {"large c/big.bin", {large(2)}},
    };
}

// Also with the Java-side classes of archives made before the launcher's loader could be
// the system class loader: they run as they always did, whatever the configuration asks.
TEST(BridgeLaunchTest, RunsAloneFromTheJarsInsideTheExecutable) {
    for (const char* classes : {ORU_JAVA_SIDE_CLASSES, ORU_JAVA_SIDE_CLASSES_ORIGINAL}) {
        SCOPED_TRACE(classes);
        ScratchDirectory dir;
        std::string alone = dir.makeDirectory("alone");
        std::string exe = packBridgeApp(alone + "/app", classes, {"systemloader true"});
        RunResult run = runProgram(exe, {{"classes", "resources"}, cleanEnvironment(), alone});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        expectReports(run, servedFromTheArchive());
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(alone))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{"app"}) << "nothing is unpacked to disk";
    }
}

// Another writer's archive, with the Java-side classes as other tools may write them:
// static initialisers that catch nothing, so the runtime's load of the executable must
// succeed on Linux too. Python's zipfile deflates every member, the nested jars as well.
TEST(BridgeLaunchTest, AnotherWritersArchiveWithPlainClasses) {
    ScratchDirectory dir;
    std::vector<std::string> arguments = {
        "-c",
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w', 8) as z:\n"
        "    z.comment = sys.argv[2].encode()\n"
        "    for m in sys.argv[3:]:\n"
        "        z.write(m.split('=', 1)[1], m.split('=', 1)[0])\n",
        dir.path() + "app.zip", ""};
    auto add = [&](const std::string& name, const std::string& bytes) {
        arguments.push_back(name + "=" +
                            dir.write("in/" + std::to_string(arguments.size()), bytes));
    };
    for (const char* name : {"KestrunClassLoader", "Handler", "Handler$1", "SplashScreen"})
        add(std::string("com/vostrand/oru/") + name + ".class",
            classBytes(ORU_JAVA_SIDE_CLASSES_PLAIN, std::string("com/vostrand/oru/") + name));
    add("dup.txt", "dup at the top");
    add("my file.txt", "my file");
    add("big.bin", largeEntry(0));
    add("t.jar", applicationJar());
    add("libs/a.jar", libraryJar());
    add("libs/bb.jar", variantJar());
    add("libs/c.jar", storedJar());
    std::vector<std::string> configuration = bridgeConfiguration();
    configuration.push_back("systemloader true");
    for (const std::string& line : withTestVmOptions(configuration)) arguments[3] += line + "\r\n";
    RunResult zipped = runProgram("/usr/bin/python3", {arguments});
    ASSERT_EQ(zipped.exitCode, 0) << zipped.err;

    const std::string exe =
        dir.write("app", readFile(launcherPath()) + readFile(dir.path() + "app.zip"));
    fs::permissions(exe, fs::perms::owner_all);
    const std::string trace = dir.path() + "trace.txt";
    RunResult run =
        runProgram(exe, {{"classes", "resources"}, cleanEnvironment({{"ORU_TRACE", trace}})});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    expectReports(run, servedFromTheArchive());
    EXPECT_NE(readFile(trace).find("main: system class loader: the runtime's own: the archive's "
                                   "loader has no constructor taking its parent"),
              std::string::npos)
        << readFile(trace);
}

TEST(BridgeLaunchTest, TheDiskClassPathComesFirst) {
    ScratchDirectory dir;
    dir.write("disk/bridge/Shadowed.class",
              classBytes(ORU_BRIDGE_VARIANT_CLASSES, "bridge/Shadowed"));
    std::string exe = packBridgeApp(dir.path() + "app");
    dir.write("app.cfg", "classpath " + dir.path() + "disk\r\n");
    RunResult run = runProgram(exe, {{"classes"}, cleanEnvironment()});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(reported(run.out, "Shadowed"),
              "disk by jdk.internal.loader.ClassLoaders$AppClassLoader");
    EXPECT_EQ(reported(run.out, "InApp"), std::string("t.jar by ") + kLoader);
}

TEST(BridgeLaunchTest, SixteenThreadsLoadAndReadAtOnce) {
    ScratchDirectory dir;
    std::string exe = packBridgeApp(dir.path() + "app");
    RunResult run = runProgram(exe, {{"threads"}, cleanEnvironment()});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(reported(run.out, "thread errors"), "0");
    EXPECT_EQ(reported(run.out, "thread rounds"), "many");
}

// Every match becomes a URL with its own local references, all released as it goes.
TEST(BridgeLaunchTest, TenThousandMatchesOfOneName) {
    ScratchDirectory dir;
    tools::ZipWriter archive;
    addJavaSideClasses(archive);
    archive.add("t.jar", applicationJar());
    tools::ZipWriter small;
    small.add("x.txt", "x", tools::ZipMethod::kStored);
    const std::string smallJar = small.finish();
    for (int i = 0; i < 10000; ++i)
        archive.add("libs/" + std::to_string(i) + ".jar", smallJar, tools::ZipMethod::kStored);
    std::string exe = dir.path() + "many";
    packLauncher(exe, archive, bridgeConfiguration());
    RunResult run = runProgram(exe, {{"x.txt"}, cleanEnvironment()});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(reported(run.out, "count"), "10000");
}

}  // namespace
}  // namespace oru::testing
