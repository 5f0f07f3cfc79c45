// oru-pack from the command line: the comment limit, bad inputs and a packed launch.
#include <gtest/gtest.h>

#include <filesystem>

#include "java_probe.h"
#include "launcher/launcher_config.h"

namespace oru::testing {
namespace {

// Configuration lines padded with a comment-like line to exactly `total` comment bytes.
std::vector<std::string> paddedTo(size_t total, std::vector<std::string> lines) {
    size_t used = 0;
    for (const std::string& line : lines) used += line.size() + 2;
    lines.push_back("padding " + std::string(total - used - 2 - 8, 'p'));
    return lines;
}

std::vector<std::string> packArguments(const std::string& output,
                                       const std::vector<std::string>& lines,
                                       const std::vector<std::string>& files) {
    std::vector<std::string> args = {"--launcher", launcherPath(), "--output", output};
    for (const std::string& line : lines) {
        args.push_back("--config");
        args.push_back(line);
    }
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

TEST(PackToolTest, Comment2048BytesIsTheLimit) {
    ScratchDirectory dir;
    std::string file = dir.write("data.txt", "payload");
    std::string fits = dir.path() + "fits";
    std::vector<std::string> lines =
        paddedTo(2048, withTestVmOptions(probeConfiguration("probe.Report")));
    RunResult packed =
        runProgram(ORU_PACK_PATH, {packArguments(fits, lines, {"data.txt=" + file})});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(readArchiveComment(fits.c_str()).length(), 2048);
    RunResult run = runProgram(fits, {{"x"}, cleanEnvironment()});
    EXPECT_EQ(reported(run.out, "arg0"), "x") << "the whole comment is read: " << run.err;

    std::string tooLong = dir.path() + "too-long";
    RunResult refused = runProgram(
        ORU_PACK_PATH,
        {packArguments(tooLong, paddedTo(2049, probeConfiguration("probe.Report")), {})});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "oru-pack: the configuration takes 2049 bytes; the launcher reads at most 2048\n");
    EXPECT_FALSE(std::filesystem::exists(tooLong)) << "nothing is written";
}

TEST(PackToolTest, BadInvocations) {
    ScratchDirectory dir;
    std::string out = dir.path() + "out";
    RunResult missing =
        runProgram(ORU_PACK_PATH, {packArguments(out, {}, {"a=" + dir.path() + "nope"})});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
    RunResult usage = runProgram(ORU_PACK_PATH, {{"--output", out}});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("usage:"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace oru::testing
