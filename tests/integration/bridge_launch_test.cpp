// A packed application run from the jars inside the executable: classes, resources and
// "oru:" URLs served by the bridge, under the JNI and class-file checkers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "java_probe.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string classBytes(const char* root, const std::string& name) {
    return readFile(fs::path(root) / (name + ".class"));
}

// Classes of the test application that live in the library jar; every other class of
// it goes into "t.jar".
const std::vector<std::string> kLibraryClasses = {"bridge/InLib", "bridge/Twice",
                                                  "bridge/Shadowed", "bridge/ServiceImpl",
                                                  "NoPackage"};

std::string applicationJar() {
    tools::ZipWriter jar;
    for (const auto& file : fs::recursive_directory_iterator(ORU_BRIDGE_CLASSES)) {
        if (!file.is_regular_file()) continue;
        std::string name = fs::relative(file.path(), ORU_BRIDGE_CLASSES).generic_string();
        std::string stem = name.substr(0, name.size() - 6);
        if (std::find(kLibraryClasses.begin(), kLibraryClasses.end(), stem) ==
            kLibraryClasses.end())
            jar.add(name, readFile(file.path()));
    }
    jar.add("a/b.txt", "b in t.jar");
    jar.add("dup.txt", "dup in t.jar");
    jar.add("bridge/Corrupt.class", "not a class file at all");
    // Bytes that do not match their CRC: the entry cannot be read.
    tools::ZipWriter::Entry damaged;
    damaged.name = "bridge/Damaged.class";
    damaged.stored = classBytes(ORU_BRIDGE_CLASSES, "bridge/InApp");
    damaged.size = static_cast<uint32_t>(damaged.stored.size());
    damaged.crc = 0x12345678;
    jar.addRaw(damaged);
    return jar.finish();
}

std::string libraryJar() {
    tools::ZipWriter jar;
    for (const std::string& name : kLibraryClasses)
        jar.add(name + ".class", classBytes(ORU_BRIDGE_CLASSES, name));
    jar.add("META-INF/services/bridge.Service", "bridge.ServiceImpl\n");
    jar.add("dup.txt", "dup in a.jar");
    return jar.finish();
}

std::string variantJar() {
    tools::ZipWriter jar;
    jar.add("bridge/Twice.class", classBytes(ORU_BRIDGE_VARIANT_CLASSES, "bridge/Twice"),
            tools::ZipMethod::kStored);
    return jar.finish();
}

void addJavaSideClasses(tools::ZipWriter& archive) {
    for (const char* name : {"KestrunClassLoader", "Handler", "Handler$1", "SplashScreen"}) {
        std::string entry = std::string("com/vostrand/oru/") + name;
        archive.add(entry + ".class",
                    classBytes(ORU_JAVA_SIDE_CLASSES, std::string("com/vostrand/oru/") + name));
    }
}

// Every run checks the natives' JNI use and verifies every class, the launcher's own too.
std::vector<std::string> bridgeConfiguration() {
    return {"jvmdll " + jdkLibrary(), "jre_order c", "mainclass bridge.Probe",
            "option -Xcheck:jni", "option -Xverify:all"};
}

std::string packBridgeApp(const std::string& path) {
    tools::ZipWriter archive;
    addJavaSideClasses(archive);
    archive.add("dup.txt", "dup at the top");
    archive.add("my file.txt", "my file");
    archive.add("t.jar", applicationJar());
    archive.add("libs/a.jar", libraryJar());
    archive.add("libs/bb.jar", variantJar(), tools::ZipMethod::kStored);
    packLauncher(path, archive, bridgeConfiguration());
    return path;
}

struct Expected {
    const char* name;
    std::vector<std::string> values;
};

void expectReports(const RunResult& run, const std::vector<Expected>& table) {
    for (const Expected& e : table) EXPECT_EQ(reportedAll(run.out, e.name), e.values) << e.name;
}

const char* const kLoader = "com.vostrand.oru.KestrunClassLoader";

TEST(BridgeLaunchTest, RunsAloneFromTheJarsInsideTheExecutable) {
    ScratchDirectory dir;
    std::string alone = dir.makeDirectory("alone");
    std::string exe = packBridgeApp(alone + "/app");
    RunResult run = runProgram(exe, {{"classes", "resources"}, cleanEnvironment(), alone});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    const std::string bytes = "b in t.jar";
    expectReports(
        run,
        {
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
            {"url", {"oru:t.jar!a\\b.txt"}},
            {"content", {bytes}},
            {"text ORU:t.jar!a\\b.txt", {bytes}},
            {"text oru:t.jar!a/b.txt", {bytes}},
            {"text oru:my%20file.txt", {"my file"}},
            {"text oru:my+file.txt", {"my file"}},
            {"missing", {"null"}},
            {"missing stream", {"java.io.FileNotFoundException"}},
            {"missing message", {"oru:missing.txt"}},
            {"own", {"oru:dup.txt", "oru:t.jar!dup.txt", "oru:libs\\a.jar!dup.txt"}},
            {"all",
             {"jar dup at the top", "oru dup at the top", "oru dup in t.jar", "oru dup in a.jar"}},
            {"service", {std::string("ServiceImpl by ") + kLoader}},
        });
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(alone))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"app"}) << "nothing is unpacked to disk";
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
