// Real applications from Debian's Java packages, packed with oru-pack from their jars
// and run from the executable alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "java_probe.h"

namespace oru::testing {
namespace {

const char kAntBuild[] = R"(<project name="packed" default="hello">
  <target name="hello">
    <echo message="hello from the packed ant"/>
    <mkdir dir="made"/>
    <echo file="made/note.txt" message="written by ant"/>
    <loadfile property="note" srcFile="made/note.txt"/>
    <echo message="read back: ${note}"/>
  </target>
</project>
)";

// Whether `output` has each of `lines` as a whole line, in that order.
bool printsInOrder(const std::string& output, const std::vector<std::string>& lines) {
    std::istringstream in(output);
    size_t next = 0;
    for (std::string line; next < lines.size() && std::getline(in, line);)
        if (line == lines[next]) ++next;
    return next == lines.size();
}

TEST(ThirdPartyTest, PackedApplicationsRun) {
    ScratchDirectory dir;
    dir.write("build.xml", kAntBuild);
    const struct {
        const char* name;
        std::vector<std::string> packing;  // after --launcher and -o
        std::vector<std::string> arguments;
        std::vector<std::string> printed;  // lines of standard output, in order
    } cases[] = {
        // Ant: main class from its jar's manifest, the launcher jar as a library, its
        // task definitions read as resources from the nested jar.
        {"ant",
         {"--jar", "/usr/share/java/ant.jar", "--lib", "/usr/share/java/ant-launcher.jar"},
         {"-f", dir.path() + "build.xml"},
         {"     [echo] hello from the packed ant", "     [echo] read back: written by ant",
          "BUILD SUCCESSFUL"}},
        // JUnit: its runner as the main class, Hamcrest and a test jar as libraries.
        {"junit",
         {"--jar", "/usr/share/java/junit4.jar", "--main-class", "org.junit.runner.JUnitCore",
          "--lib", "/usr/share/java/hamcrest.jar", "--lib", ORU_PACKED_TESTS_JAR},
         {"thirdparty.PackedTest"},
         {"JUnit version 4.13.2", "OK (2 tests)"}},
    };
    for (const auto& c : cases) {
        std::string exe = dir.path() + c.name;
        std::vector<std::string> args = {"--launcher", launcherPath(), "-o",
                                         exe,          "--config",     "jvmdll " + jdkLibrary()};
        args.insert(args.end(), c.packing.begin(), c.packing.end());
        for (const std::string& option : testVmOptions())
            args.insert(args.end(), {"--option", option});
        RunResult packed = runProgram(ORU_PACK_PATH, {args});
        ASSERT_EQ(packed.exitCode, 0) << c.name << ": " << packed.err;
        RunResult run = runProgram(exe, {c.arguments, cleanEnvironment(), dir.path()});
        EXPECT_EQ(run.exitCode, 0) << c.name;
        EXPECT_EQ(run.err, "") << c.name;
        EXPECT_TRUE(printsInOrder(run.out, c.printed)) << c.name << ":\n" << run.out;
    }
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "made/note.txt"));
}

}  // namespace
}  // namespace oru::testing
