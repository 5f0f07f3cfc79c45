// Runtime discovery: search order, configured library, runtime homes, the system's runtime
// (registry on Windows, `java` on PATH on Linux) and relative path resolution.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "jvm/runtime_discovery.h"
#include "launcher/launcher_config.h"
#include "test_support.h"

namespace oru {
namespace {

using testing::EnvironmentGuard;
using testing::ScratchDirectory;

bool onWindows() { return testing::separator() == '\\'; }

// `path` written with the platform's separator.
std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', testing::separator());
    return path;
}

const char* library() { return onWindows() ? "jvm.dll" : "libjvm.so"; }

// A fake runtime: the library file at `relative` below `home` in `dir`.
std::string plantLibrary(const ScratchDirectory& dir, const std::string& relative) {
    return dir.write(native(relative), "not a real library");
}

std::string find(const std::string& configuration) {
    LauncherConfig config("tool", NarrowString(""), NarrowString(configuration.c_str()));
    return config.findRuntimeLibrary().c_str();
}

// Discovery looks at the environment and PATH; these tests set every source themselves.
class DiscoveryTest : public ::testing::Test {
protected:
    EnvironmentGuard jreHome{"JRE_HOME", nullptr};
    EnvironmentGuard javaHome{"JAVA_HOME", nullptr};
    EnvironmentGuard path{"PATH", onWindows() ? std::getenv("PATH") : "/oru-nowhere"};
    ScratchDirectory dir;
};

TEST_F(DiscoveryTest, SearchOrderLetters) {
    std::string configured = plantLibrary(dir, std::string("conf/") + library());
    std::string fromHome = plantLibrary(
        dir, native(onWindows() ? "home/bin/server/" : "home/lib/server/") + library());
    EnvironmentGuard home("JAVA_HOME", (dir.path() + "home").c_str());
    std::string jvmdll = "jvmdll " + configured + "\r\n";
    struct Case {
        const char* order;  // null: no jre_order line
        bool withJvmdll;
        std::string expected;
    } cases[] = {
        {nullptr, true, configured},  // default csie
        {"", true, configured},
        {"E", true, fromHome},     // upper case works
        {"xq", true, configured},  // nothing usable: default
        {"ex", true, fromHome},    // x skipped
        {"s", true, ""},           // no system runtime here
        {"ssec", true, fromHome},  // repeated letters are tried again
        {"ce", false, fromHome},   // no jvmdll: c yields nothing
        {nullptr, false, fromHome},
        {"c", false, ""},
        {"i", true, ""},
    };
    for (const Case& c : cases) {
        std::string text = c.withJvmdll ? jvmdll : "";
        if (c.order) text += std::string("jre_order ") + c.order + "\r\n";
        EXPECT_EQ(find(text), c.expected) << (c.order ? c.order : "<none>") << " " << c.withJvmdll;
    }
}

TEST_F(DiscoveryTest, ConfiguredLibraryResolution) {
    std::string exeDir = dir.makeDirectory("app");
    std::string startDir = dir.makeDirectory("start");
    recordDirectories(NarrowString((exeDir + testing::separator() + "tool").c_str()),
                      NarrowString(startDir.c_str()));
    std::string relative = native(std::string("jre/bin/client/") + library());
    std::string underStart = plantLibrary(dir, "start/" + relative);
    EXPECT_EQ(find("jvmdll " + relative), underStart) << "only under the start-up directory";
    std::string underExe = plantLibrary(dir, "app/" + relative);
    EXPECT_EQ(find("jvmdll " + relative), underExe) << "the executable's directory comes first";
    EXPECT_EQ(find("jvmdll " + native("missing/") + library() + "\r\njre_order c"), "");

    EnvironmentGuard root("ORU_TEST_RUNTIME_ROOT", (dir.path() + "app").c_str());
    EXPECT_EQ(
        find("jvmdll %ORU_TEST_RUNTIME_ROOT%" + std::string(1, testing::separator()) + relative),
        underExe)
        << "an expanded absolute path is used as it stands";
    EXPECT_EQ(find("jvmdll %ORU_TEST_UNDEFINED%\r\njre_order c"), "");
}

// `layout` with "ARCH" replaced by JDK 8's name for the machine the tests run on: a
// 32-bit launcher can load only a 32-bit runtime, which JDK 8 keeps under "i386".
std::string withJdk8Arch(std::string layout) {
    std::string::size_type at = layout.find("ARCH");
    if (at != std::string::npos) layout.replace(at, 4, sizeof(void*) == 4 ? "i386" : "amd64");
    return layout;
}

TEST_F(DiscoveryTest, RuntimeHomes) {
    struct Layout {
        const char* windows;
        const char* linux;
    };
    // Each layout's library is found from the home "h"; the earlier groups win.
    const Layout layouts[] = {
        {"h/jvm.dll", "h/libjvm.so"},
        {"h/bin/jvm.dll", "h/lib/libjvm.so"},
        {"h/bin/server/jvm.dll", "h/lib/server/libjvm.so"},               // JDK 9 and later
        {"h/jre/bin/client/jvm.dll", "h/jre/lib/ARCH/server/libjvm.so"},  // JDK 8
        {"h/jre/bin/jvm.dll", "h/lib/ARCH/server/libjvm.so"},             // JRE 8
        {"x/jre/bin/server/jvm.dll", "x/jre/lib/ARCH/server/libjvm.so"},  // from h = x/bin
    };
    for (const Layout& layout : layouts) {
        ScratchDirectory scratch;
        std::string expected =
            plantLibrary(scratch, onWindows() ? layout.windows : withJdk8Arch(layout.linux));
        bool fromBin = std::string(layout.linux).rfind("x/", 0) == 0;
        std::string home = fromBin ? scratch.makeDirectory(native("x/bin")) : scratch.path() + "h";
        for (const std::string& value : {home, home + testing::separator()}) {
            EnvironmentGuard guard("JAVA_HOME", value.c_str());
            std::string found = findRuntimeInHomes().c_str();
            // A path through "x/bin/.." names the same file as "x/".
            EXPECT_TRUE(std::filesystem::equivalent(found, expected))
                << value << " found " << found;
        }
    }

    // The direct candidate comes before the subdirectories; JRE_HOME before JAVA_HOME.
    std::string direct =
        plantLibrary(dir, native(onWindows() ? "a/bin/jvm.dll" : "a/lib/libjvm.so"));
    plantLibrary(dir, native(onWindows() ? "a/bin/client/jvm.dll" : "a/lib/server/libjvm.so"));
    std::string second = plantLibrary(dir, std::string("b/") + library());
    dir.makeDirectory("empty/lib/server");
    EnvironmentGuard javaHomeA("JAVA_HOME", (dir.path() + "a").c_str());
    EXPECT_EQ(std::string(findRuntimeInHomes().c_str()), direct);
    EnvironmentGuard jreHomeB("JRE_HOME", (dir.path() + "b").c_str());
    EXPECT_EQ(std::string(findRuntimeInHomes().c_str()), second);
    EnvironmentGuard jreHomeEmpty("JRE_HOME", (dir.path() + "empty").c_str());
    EXPECT_EQ(std::string(findRuntimeInHomes().c_str()), direct) << "JRE_HOME without a runtime";
    EnvironmentGuard jreHomeBlank("JRE_HOME", "");
    EXPECT_EQ(std::string(findRuntimeInHomes().c_str()), direct);
    EnvironmentGuard none("JAVA_HOME", (dir.path() + "missing").c_str());
    EXPECT_EQ(std::string(findRuntimeInHomes().c_str()), "");
}

// Windows: the registered runtime, written with reg.exe. Linux: `java` on PATH.
TEST_F(DiscoveryTest, SystemRuntime) {
    if (onWindows()) {
        std::string lib = plantLibrary(dir, "jre/bin/client/jvm.dll");
        const std::string key = "HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment";
        ASSERT_EQ(std::system(("reg add \"" + key + "\" /v CurrentVersion /d 1.8 /f >NUL").c_str()),
                  0);
        ASSERT_EQ(
            std::system(
                ("reg add \"" + key + "\\1.8\" /v RuntimeLib /d \"" + lib + "\" /f >NUL").c_str()),
            0);
        EXPECT_EQ(find("jre_order s"), lib);
        EXPECT_EQ(find("jre_order i"), "") << "the IBM key is not there";
        std::string fromHome = plantLibrary(dir, "home/jvm.dll");
        EnvironmentGuard home("JAVA_HOME", (dir.path() + "home").c_str());
        std::filesystem::remove(lib);
        EXPECT_EQ(find("jre_order se"), fromHome) << "a registered file that is gone";
        std::system("reg delete \"HKLM\\SOFTWARE\\JavaSoft\" /f >NUL");
        EXPECT_EQ(find("jre_order s"), "");
        return;
    }
    std::string lib = plantLibrary(dir, "jdk/lib/server/libjvm.so");
    std::string java = dir.write("jdk/bin/java", "#!/bin/sh\n");
    std::filesystem::permissions(java, std::filesystem::perms::owner_all);
    dir.makeDirectory("links/bin");
    std::filesystem::create_symlink(java, dir.path() + "links/java-link");
    std::filesystem::create_symlink(dir.path() + "links/java-link", dir.path() + "links/bin/java");
    dir.write("notexec/java", "not executable");
    EnvironmentGuard pathGuard("PATH",
                               ("::" + dir.path() + "notexec:" + dir.path() + "links/bin").c_str());
    EXPECT_EQ(find("jre_order s"), lib) << "links are followed to the runtime's home";
    EXPECT_EQ(find("jre_order i"), "") << "Linux has no second registry source";
    std::filesystem::remove(lib);
    EXPECT_EQ(find("jre_order s"), "");
}

}  // namespace
}  // namespace oru
