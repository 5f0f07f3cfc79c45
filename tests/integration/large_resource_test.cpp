// Large resources read through getResourceAsStream under a small heap, packed against
// java -cp on the same jar: the same bytes, about the same memory, many streams at once.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "bridge_app.h"
#include "java_probe.h"

namespace oru::testing {
namespace {

// Under an emulator everything is slower and its memory is not the program's own: the
// entries are smaller there. Neither there nor under the address sanitizer, which keeps
// freed memory aside, is memory measured.
const bool kEmulated = *ORU_TEST_EMULATOR != '\0';
#if defined(__SANITIZE_ADDRESS__)
const bool kMeasuresMemory = false;
#else
const bool kMeasuresMemory = !kEmulated;
#endif
const uint32_t kLarge = kEmulated ? 4000000 : 50000000;
const uint32_t kSpread = 1000000;
const uint32_t kDamaged = 1000000;

std::string incompressible(uint32_t size, uint64_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        c = static_cast<char>(seed >> 32);
    }
    return bytes;
}

std::string compressible(uint32_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += "line " + std::to_string(line) + " of a resource that deflates well\n";
    text.resize(size);
    return text;
}

// The probe's application jar: two large entries, sixteen smaller ones stored and
// deflated in turn, and one whose stored bytes no longer match their checksum.
std::string probeJar() {
    tools::ZipWriter jar;
    jar.add("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nMain-Class: streams.Probe\r\n");
    jar.add("streams/Probe.class", classBytes(ORU_STREAMS_CLASSES, "streams/Probe"));
    jar.add("big/stored.bin", incompressible(kLarge, 1), tools::ZipMethod::kStored);
    jar.add("big/deflated.bin", compressible(kLarge));
    for (int i = 0; i < 16; ++i)
        jar.add("spread/" + std::to_string(i) + ".bin", incompressible(kSpread, i + 2),
                i % 2 ? tools::ZipMethod::kStored : tools::ZipMethod::kDeflated);
    tools::ZipWriter::Entry damaged;
    damaged.name = "big/damaged.bin";
    damaged.stored = incompressible(kDamaged, 99);
    damaged.size = kDamaged;
    damaged.crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(damaged.stored.data()), kDamaged));
    damaged.stored[kDamaged / 2] ^= 1;
    jar.addRaw(damaged);
    return jar.finish();
}

class LargeResourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new ScratchDirectory;
        jar_ = dir_->write("app.jar", probeJar());
        exe_ = dir_->path() + "app";
        std::vector<std::string> args = {
            "--launcher", launcherPath(),           "--jar",    jar_,     "-o", exe_,
            "--config",   "jvmdll " + jdkLibrary(), "--option", "-Xmx48m"};
        for (const std::string& option : testVmOptions())
            args.insert(args.end(), {"--option", option});
        const RunResult packed = runProgram(ORU_PACK_PATH, {args});
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
    }
    static void TearDownTestSuite() { delete dir_; }

    // The probe's output with these arguments, packed and under java -cp.
    static std::pair<RunResult, RunResult> both(const std::vector<std::string>& probeArgs) {
        std::vector<std::string> javaArgs = testVmOptions();
        if (jdkLibrary().find("/client/") != std::string::npos) javaArgs.push_back("-client");
        javaArgs.insert(javaArgs.end(), {"-Xmx48m", "-cp", jar_, "streams.Probe"});
        javaArgs.insert(javaArgs.end(), probeArgs.begin(), probeArgs.end());
        RunResult java = runProgram(jdkHome() + "/bin/java", {javaArgs, cleanEnvironment()});
        RunResult packed = runProgram(exe_, {probeArgs, cleanEnvironment()});
        EXPECT_EQ(java.exitCode, 0) << java.err;
        EXPECT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_EQ(packed.err, java.err);
        return {java, packed};
    }

    static ScratchDirectory* dir_;
    static std::string jar_;
    static std::string exe_;
};

ScratchDirectory* LargeResourceTest::dir_ = nullptr;
std::string LargeResourceTest::jar_;
std::string LargeResourceTest::exe_;

TEST_F(LargeResourceTest, EveryByteUnderASmallHeapInAboutJavasMemory) {
    const auto [java, packed] = both({"big/stored.bin", "big/deflated.bin"});
    for (const char* name : {"big/stored.bin", "big/deflated.bin"}) {
        const std::string size = std::to_string(kLarge) + " ";
        EXPECT_EQ(reported(java.out, name).substr(0, size.size()), size) << name;
        EXPECT_EQ(reported(packed.out, name), reported(java.out, name)) << name;
    }
    if (!kMeasuresMemory) return;
    EXPECT_LE(std::stol(reported(packed.out, "peak")), std::stol(reported(java.out, "peak")) + 10)
        << "peak resident MB, packed against java -cp";
}

// java -cp's own reader does not check a stored entry's checksum; the launcher's stream
// does, and fails at the end rather than report damaged bytes as the entry.
TEST_F(LargeResourceTest, ADamagedEntryFailsAtItsEnd) {
    const RunResult run = runProgram(exe_, {{"big/damaged.bin"}, cleanEnvironment()});
    const std::string outcome = reported(run.out, "big/damaged.bin");
    const std::string failure = "java.util.zip.ZipException after ";
    ASSERT_EQ(outcome.substr(0, failure.size()), failure) << outcome;
    EXPECT_GE(std::stol(outcome.substr(failure.size())), static_cast<long>(kDamaged) - 65536);
}

TEST_F(LargeResourceTest, ManyStreamsAtOnceAndStreamsLeftEarly) {
    const auto [java, packed] = both({"threads:big/stored.bin"});
    for (int i = 0; i < 32; ++i) {
        const std::string name = "thread " + std::to_string(i);
        EXPECT_EQ(reported(packed.out, name), reported(java.out, name)) << name;
        EXPECT_EQ(reported(packed.out, name).find("after"), std::string::npos) << name;
    }
    if (!kMeasuresMemory) return;
    // Each stream holds some 56 KB of native memory: a thousand kept would be 56 MB.
    const RunResult early = runProgram(exe_, {{"early:big/deflated.bin"}, cleanEnvironment()});
    EXPECT_LE(std::stol(reported(early.out, "closed growth")), 6) << "MB";
    EXPECT_LE(std::stol(reported(early.out, "dropped growth")), 24) << "MB";
}

// An application jar larger than an extracted nested jar may be (256 MiB) is read where
// it lies in the executable, as a smaller one is.
TEST(LargeJarTest, AnApplicationJarPastTheExtractionCapRuns) {
    if (kEmulated) GTEST_SKIP() << "a 270 MB jar under an emulator";
    ScratchDirectory dir;
    const std::string zeros = dir.write("zeros.bin", "");
    std::filesystem::resize_file(zeros, 270000000);
    const std::string jar = dir.path() + "app.jar";
    const RunResult zipped =
        runProgram("/usr/bin/python3",
                   {{"-c",
                     "import sys, zipfile\n"
                     "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                     "    z.writestr('META-INF/MANIFEST.MF', 'Main-Class: streams.Probe\\n')\n"
                     "    z.write(sys.argv[2], 'streams/Probe.class')\n"
                     "    z.write(sys.argv[3], 'zeros.bin')\n",
                     jar, std::string(ORU_STREAMS_CLASSES) + "/streams/Probe.class", zeros}});
    ASSERT_EQ(zipped.exitCode, 0) << zipped.err;
    const std::string exe = dir.path() + "app";
    const RunResult packed =
        runProgram(ORU_PACK_PATH, {{"--launcher", launcherPath(), "--jar", jar, "-o", exe,
                                    "--config", "jvmdll " + jdkLibrary()}});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    const RunResult run = runProgram(exe, {{"streams/Probe.class"}, cleanEnvironment()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(reported(run.out, "streams/Probe.class"), "null");
}

}  // namespace
}  // namespace oru::testing
