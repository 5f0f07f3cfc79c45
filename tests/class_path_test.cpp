// Class path assembly: configured segments, environment variables and "libs" scans.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "launcher/config_load.h"
#include "launcher/launch_settings.h"
#include "platform/path_style.h"
#include "test_support.h"

namespace oru {
namespace {

using testing::EnvironmentGuard;
using testing::ScratchDirectory;

std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', testing::separator());
    return path;
}

// A text with ';' standing for the platform's list separator.
std::string listed(std::string text) {
    std::replace(text.begin(), text.end(), ';', platform::pathStyle().listSeparator);
    return text;
}

std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end;
         (end = path.find(platform::pathStyle().listSeparator, start)) != std::string::npos;
         start = end + 1)
        parts.push_back(path.substr(start, end - start));
    parts.push_back(path.substr(start));
    return parts;
}

class ClassPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        exeDir = dir.makeDirectory("app") + testing::separator();
        startDir = dir.makeDirectory("start") + testing::separator();
        exe = exeDir + "tool";
        recordDirectories(NarrowString(exe.c_str()), NarrowString(startDir.c_str()));
    }
    std::string build(const std::string& configuration) {
        LauncherConfig config(NarrowString(exe.c_str()), NarrowString(""),
                              NarrowString(configuration.c_str()));
        return buildConfiguredClassPath(config).c_str();
    }

    EnvironmentGuard classPath{"CLASSPATH", nullptr};
    EnvironmentGuard classPath2{"CLASS_PATH", nullptr};
    ScratchDirectory dir;
    std::string exeDir, startDir, exe;
};

TEST_F(ClassPathTest, ConfiguredSegmentsAndEnvironment) {
    dir.write(native("start/lib/b.jar"), "b");
    std::string absolute = dir.path() + "abs.jar";
    EnvironmentGuard several("ORU_TEST_SEVERAL", listed("x.jar;y.jar").c_str());
    EnvironmentGuard folder("ORU_TEST_FOLDER", "lib");
    struct Case {
        std::string configuration;
        std::vector<std::string> elements;  // after the executable
    } cases[] = {
        {"", {}},
        {listed(native("classpath lib/a.jar;;lib/b.jar;")),
         {exeDir + native("lib/a.jar"), startDir + native("lib/b.jar")}},
        {listed("classpath ;c.jar\r\nclasspath d.jar"), {exeDir + "c.jar", exeDir + "d.jar"}},
        {"classpath " + absolute, {absolute}},
        {"classpath %ORU_TEST_SEVERAL%", {exeDir + listed("x.jar;y.jar")}},
        {native("classpath %ORU_TEST_FOLDER%/b.jar"), {startDir + native("lib/b.jar")}},
        {"classpath %ORU_TEST_UNDEFINED%", {exeDir + "%ORU_TEST_UNDEFINED%"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> expected{exe};
        expected.insert(expected.end(), c.elements.begin(), c.elements.end());
        std::string built = build(c.configuration);
        EXPECT_EQ(built.substr(0, exe.size()), exe) << c.configuration;
        // An element holding a separator comes from a variable, so compare the joined text.
        std::string joined = exe;
        for (const std::string& element : c.elements)
            joined += platform::pathStyle().listSeparator + element;
        EXPECT_EQ(built, joined) << c.configuration;
    }

    EnvironmentGuard first("CLASSPATH", listed("/raw/one;rel").c_str());
    EXPECT_EQ(build("classpath c.jar"),
              exe + listed(";") + exeDir + "c.jar" + listed(";/raw/one;rel"));
    EnvironmentGuard second("CLASS_PATH", "two");
    EXPECT_EQ(build(""), exe + listed(";/raw/one;rel;two"));
    EnvironmentGuard emptyFirst("CLASSPATH", "");
    EXPECT_EQ(build(""), exe + listed(";two"))
        << "an empty variable would mean the current directory";
}

TEST_F(ClassPathTest, LibraryDirectoryScan) {
    for (const char* name :
         {"libs/A.JAR", "libs/b.zip", "libs/c.txt", "libs/e.jar.bak", "libs/f.Zip", "libs/jar",
          "libs/sub/d.jar", "libs/sub/deeper/z.jar", "libs/w/w.jar", "libs/w/inner/v.jar"})
        dir.write(native(name), "x");
    std::vector<std::string> parts = split(build("libs " + dir.path() + "libs"));
    ASSERT_EQ(parts.size(), 8u) << build("libs " + dir.path() + "libs");
    EXPECT_EQ(parts[0], exe);
    std::vector<std::string> found(parts.begin() + 1, parts.end());
    std::string libs = dir.path() + native("libs/");
    for (const char* name : {"A.JAR", "b.zip", "f.Zip", "sub/d.jar", "sub/deeper/z.jar", "w/w.jar"})
        EXPECT_NE(std::find(found.begin(), found.end(), libs + native(name)), found.end()) << name;
    // Depth first: the archives of each subdirectory's tree stand together, whichever
    // order the file system lists sub/ and w/ in (level by level they would interleave).
    for (const char* tree : {"sub/", "w/"}) {
        std::vector<size_t> at;
        for (size_t i = 0; i < found.size(); ++i)
            if (found[i].rfind(libs + native(tree), 0) == 0) at.push_back(i);
        ASSERT_EQ(at.size(), 2u) << tree;
        EXPECT_EQ(at[1] - at[0], 1u) << tree;
    }

    // An empty value scans the executable's directory; a missing directory adds nothing.
    dir.write(native("app/beside.jar"), "x");
    EXPECT_EQ(build("libs"), exe + listed(";") + exeDir + "beside.jar");
    EXPECT_EQ(build("libs missing\r\nlibs " + dir.path() + "nothing"), exe);
    // Relative values resolve like every configured path; entries keep their order.
    dir.write(native("app/rel/r.jar"), "x");
    dir.write(native("start/only/s.jar"), "x");
    EXPECT_EQ(build("libs only\r\nlibs " + native("rel/")), exe + listed(";") + startDir +
                                                                native("only/s.jar") + listed(";") +
                                                                exeDir + native("rel/r.jar"));
}

TEST_F(ClassPathTest, LinkCyclesAreScannedOnce) {
    dir.write(native("libs/a.jar"), "x");
    dir.write(native("other/o.jar"), "x");
    try {
        std::filesystem::create_directory_symlink(dir.path() + "libs",
                                                  dir.path() + native("libs/loop"));
        std::filesystem::create_directory_symlink(dir.path() + "other",
                                                  dir.path() + native("libs/other"));
    } catch (const std::filesystem::filesystem_error& error) {
        GTEST_SKIP() << "no directory links here: " << error.what();
    }
    std::vector<std::string> parts = split(build("libs " + dir.path() + "libs"));
    std::sort(parts.begin() + 1, parts.end());
    std::vector<std::string> expected{exe, dir.path() + native("libs/a.jar"),
                                      dir.path() + native("libs/other/o.jar")};
    EXPECT_EQ(parts, expected);
}

}  // namespace
}  // namespace oru
