// oru-pack from the command line: one command from jars to a running executable, the
// listing, the comment limit and every kind of bad input.
#include <gtest/gtest.h>

#include <filesystem>

#include "bridge_app.h"
#include "java_probe.h"
#include "launcher/launcher_config.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

// Configuration lines padded with a comment-like line to exactly `total` comment bytes.
std::vector<std::string> paddedTo(size_t total, std::vector<std::string> lines) {
    size_t used = 0;
    for (const std::string& line : lines) used += line.size() + 2;
    lines.push_back("padding " + std::string(total - used - 2 - 8, 'p'));
    return lines;
}

std::vector<std::string> packArguments(const std::string& output,
                                       const std::vector<std::string>& lines,
                                       const std::vector<std::string>& more) {
    std::vector<std::string> args = {"--launcher", launcherPath(), "--output", output,
                                     "--no-system-loader"};
    for (const std::string& line : lines) {
        args.push_back("--config");
        args.push_back(line);
    }
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The test application's jars on disk: app.jar (main class in its manifest), a.jar, bb.jar.
struct Jars {
    explicit Jars(const ScratchDirectory& dir)
        : app(dir.write("in/app.jar", applicationJar("bridge.Probe"))),
          lib(dir.write("in/a.jar", libraryJar())),
          variant(dir.write("in/bb.jar", variantJar())) {}
    std::string app, lib, variant;
};

TEST(PackToolTest, OneCommandFromJarsToARunningExecutable) {
    ScratchDirectory dir;
    Jars jars(dir);
    std::string alone = dir.makeDirectory("alone");
    std::string exe = alone + "/app";
    std::vector<std::string> args = {"--launcher", launcherPath(), "--jar", jars.app,
                                     "--lib", jars.lib, "--lib", jars.variant, "-o", exe,
                                     "--minjre", "11", "--option", "-Xcheck:jni",
                                     "--property", "probe.mode=packed",
                                     "--config", "jvmdll " + jdkLibrary()};
    for (const std::string& option : testVmOptions())
        args.insert(args.end(), {"--config", "option " + option});
    RunResult packed = runProgram(ORU_PACK_PATH, {args});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;

    RunResult run = runProgram(exe, {{"classes"}, cleanEnvironment(), alone});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(reported(run.out, "InApp"), "t.jar by com.vostrand.oru.KestrunClassLoader");
    EXPECT_EQ(reported(run.out, "InLib"), "libs/a.jar by com.vostrand.oru.KestrunClassLoader");
    EXPECT_EQ(reported(run.out, "Twice"), "libs/a.jar");

    RunResult listed = runProgram(ORU_PACK_PATH, {{"--list", exe}});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    std::string head = "[configuration]\nmainclass bridge.Probe\nminjre 11\n"
                       "option -Xcheck:jni\nproperty probe.mode=packed\njvmdll " +
                       jdkLibrary() + "\n";
    for (const std::string& option : testVmOptions()) head += "option " + option + "\n";
    head += "systemloader true\n[entries]\n";
    EXPECT_EQ(listed.out.substr(0, head.size()), head);
    for (const std::string line :
         {"\tdeflated\t-\tcom/vostrand/oru/Handler$1.class\n", "\tstored\t9\tt.jar\n",
          "\tstored\t7\tlibs/a.jar\n", "\tstored\t1\tlibs/bb.jar\n"})
        EXPECT_NE(listed.out.find(line), std::string::npos) << line << listed.out;
}

TEST(PackToolTest, BadInputsFailWithOneLineAndNoOutput) {
    ScratchDirectory dir;
    Jars jars(dir);
    std::string text = dir.write("in/notes.txt", "not a zip");
    std::string sameName = dir.write("in/other/a.jar", libraryJar());
    std::string noManifest = dir.write("in/plain.jar", libraryJar());
    std::string out = dir.path() + "out";
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--jar", dir.path() + "missing.jar"}, "cannot read " + dir.path() + "missing.jar"},
        {{"--jar", dir.path() + "in"}, "cannot read " + dir.path() + "in"},
        {{"--jar", text}, text + " is not a jar (no ZIP archive in it)"},
        {{"--jar", jars.app, "--lib", text}, text + " is not a jar (no ZIP archive in it)"},
        {{"--jar", jars.app, "--lib", jars.lib, "--lib", sameName},
         "two library jars are named a.jar; rename one"},
        {{"--jar", noManifest},
         "no main class: " + noManifest + " has no Main-Class in its manifest; give --main-class"},
        {{"--jar", jars.app, "--main-class", "x.Y", "--config", "MainClass=z.W"},
         "--main-class and --config \"MainClass=z.W\" both set mainclass"},
        {{"--jar", jars.app, "--minjre", "11", "--config", " minjre 17"},
         "--minjre and --config \" minjre 17\" both set minjre"},
        {{"--jar", jars.app, "--config", "x " + std::string(2100, 'y')},
         "the configuration takes 2147 bytes; the launcher reads at most 2048"},
        {{"--jar", jars.app, "data=" + dir.path() + "nope"}, "cannot read " + dir.path() + "nope"},
        {{"--jar", jars.app, "--splash", text},
         "--splash, --icon and --version-info need a Windows launcher (not a Windows executable)"},
        {{"--jar", jars.app, "--version-info", "FileVersion=1.0"},
         "--splash, --icon and --version-info need a Windows launcher (not a Windows executable)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--launcher", launcherPath(), "-o", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult result = runProgram(ORU_PACK_PATH, {args});
        EXPECT_EQ(result.exitCode, 1) << c.error;
        EXPECT_EQ(result.err, "oru-pack: " + c.error + "\n");
        EXPECT_FALSE(fs::exists(out)) << c.error;
    }
    RunResult toDirectory = runProgram(
        ORU_PACK_PATH, {{"--launcher", launcherPath(), "--jar", jars.app, "-o", dir.path() + "in"}});
    EXPECT_EQ(toDirectory.err, "oru-pack: the output " + dir.path() + "in is a directory\n");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--output", out}, {"--jar"}, {"--frobnicate"}}) {
        RunResult usage = runProgram(ORU_PACK_PATH, {args});
        EXPECT_EQ(usage.exitCode, 2) << args[0];
        EXPECT_NE(usage.err.find("see oru-pack --help"), std::string::npos) << usage.err;
    }
    EXPECT_FALSE(fs::exists(out));
    RunResult help = runProgram(ORU_PACK_PATH, {{"--help"}});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--launcher", "--jar", "--lib", "--output", "--main-class",
                               "--minjre", "--option", "--property", "--config", "--list",
                               "--splash", "--icon", "--version-info", "--no-system-loader"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
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
    EXPECT_FALSE(fs::exists(tooLong)) << "nothing is written";
}

}  // namespace
}  // namespace oru::testing
