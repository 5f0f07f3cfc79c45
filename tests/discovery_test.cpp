// Runtime discovery: search order, configured library, runtime homes, the system's runtime
// (registry on Windows, `java` on PATH on Linux) and relative path resolution.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "jvm/installed_runtimes.h"
#include "jvm/runtime_discovery.h"
#include "launcher/config_load.h"
#include "launcher/launch_settings.h"
#include "support/little_endian.h"
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

// A whole library for `machine`: MZ and PE headers, an optional header of the machine's
// width (or of `magic`), and one section whose data ends the file.
std::string peImage(int machine, int magic = 0) {
    if (!magic) magic = machine == 0x14c ? 0x10b : 0x20b;
    const int optionalSize = magic == 0x10b ? 0xe0 : 0xf0;
    std::string image(0x400, '\0');
    set16(image, 0, 0x5a4d);
    set32(image, 0x3c, 0x40);
    set32(image, 0x40, 0x4550);
    set16(image, 0x44, machine);
    set16(image, 0x46, 1);  // sections
    set16(image, 0x54, optionalSize);
    set16(image, 0x58, magic);
    set32(image, 0x58 + optionalSize + 16, 0x200);  // the section's data: the last 0x200 bytes
    set32(image, 0x58 + optionalSize + 20, 0x200);
    return image;
}

// A whole shared object of `elfClass` (1: 32-bit, 2: 64-bit) for `machine` (x86 of that
// width unless given), whose one loaded segment ends the file.
std::string elfImage(int elfClass, int machine = 0) {
    const bool wide = elfClass == 2;
    std::string image(0x200, '\0');
    image.replace(0, 7,
                  std::string("\x7f"
                              "ELF") +
                      char(elfClass) + "\x01\x01");
    set16(image, 16, 3);  // ET_DYN
    set16(image, 18, machine ? machine : wide ? 62 : 3);
    const int table = wide ? 64 : 52;
    set32(image, wide ? 0x20 : 0x1c, table);
    set16(image, wide ? 0x36 : 0x2a, wide ? 56 : 32);
    set16(image, wide ? 0x38 : 0x2c, 1);
    set32(image, table, 1);  // PT_LOAD from offset 0
    set32(image, table + (wide ? 32 : 16), static_cast<uint32_t>(image.size()));
    return image;
}

// A runtime library of `bits` in the platform's format.
std::string libraryImage(int bits = sizeof(void*) * 8) {
    if (onWindows()) return peImage(bits == 32 ? 0x14c : 0x8664);
    return elfImage(bits / 32);
}

// A runtime's library, loadable by these tests' launcher, at `relative` in `dir`.
std::string plantLibrary(const ScratchDirectory& dir, const std::string& relative) {
    return dir.write(native(relative), libraryImage());
}

std::string find(const std::string& configuration) {
    LauncherConfig config("tool", NarrowString(""), NarrowString(configuration.c_str()));
    return findConfiguredRuntimeLibrary(config).c_str();
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
    plantLibrary(dir, "start/" + relative);
    EXPECT_EQ(find("jvmdll " + relative + "\r\njre_order c"), "")
        << "a library is never taken from the start-up directory";
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
        ASSERT_EQ(std::system(
                      ("reg add \"" + key + "\" /v CurrentVersion /t REG_DWORD /d 3681841 /f >NUL")
                          .c_str()),
                  0);
        EXPECT_EQ(find("jre_order s"), "") << "a number whose bytes spell 1.8 is no text";
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

// The registry as Windows keeps it, seen by a launcher of `bits`: a 32-bit launcher's
// keys below HKLM\SOFTWARE live below HKLM\SOFTWARE\WOW6432Node. Names match without case.
class FakeRegistry : public platform::Registry {
public:
    explicit FakeRegistry(int bits) : bits_(bits) {}
    void set(const std::string& key, const std::string& value, const std::string& data) {
        keys_[lower(key)] = key;
        values_[lower(key) + "|" + lower(value)] = data;
    }
    bool readValue(platform::RegistryRoot root, const char* key, const char* value,
                   NarrowString& out) const override {
        auto found = values_.find(lower(physical(root, key)) + "|" + lower(value));
        out = found == values_.end() ? "" : found->second.c_str();
        return found != values_.end();
    }
    bool subkeyName(platform::RegistryRoot root, const char* key, int index,
                    NarrowString& out) const override {
        const std::string parent = lower(physical(root, key)) + "\\";
        std::vector<std::string> names;
        for (const auto& [lowered, original] : keys_) {
            if (lowered.compare(0, parent.size(), parent) != 0) continue;
            std::string name = original.substr(parent.size());
            name = name.substr(0, name.find('\\'));
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        }
        out = index < static_cast<int>(names.size()) ? names[index].c_str() : "";
        return index < static_cast<int>(names.size());
    }

private:
    static std::string lower(std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    std::string physical(platform::RegistryRoot root, const std::string& key) const {
        if (root == platform::RegistryRoot::kUser) return "HKCU\\" + key;
        if (bits_ == 32 && lower(key).rfind("software\\", 0) == 0)
            return "HKLM\\SOFTWARE\\WOW6432Node\\" + key.substr(9);
        return "HKLM\\" + key;
    }
    int bits_;
    std::map<std::string, std::string> keys_;  // lower case -> as written, sorted
    std::map<std::string, std::string> values_;
};

// The library below a runtime home in this platform's JDK 9 layout.
std::string libraryBelow(const std::string& home) {
    return native(home + (onWindows() ? "/bin/server/jvm.dll" : "/lib/server/libjvm.so"));
}

// Runtimes that installers put on a machine, found through a stand-in registry, PATH and
// files: one row per layout, each ending in the runtime found (or none).
TEST_F(DiscoveryTest, InstalledRuntimeLayouts) {
    struct Runtime {
        const char* home;  // below the scratch directory
        int bits;
        const char* version;  // in its release file
    };
    struct Key {
        std::string key;
        const char* value;
        const char* data;  // a home below the scratch directory ("lib:" + home: its library;
                           // "%NAME%": as written)
    };
    struct Layout {
        const char* name;
        std::vector<Runtime> runtimes;
        std::vector<Key> keys;
        std::vector<const char*> path;  // homes whose bin directory PATH names ("\"": quoted)
        int launcherBits;
        const char* configuration;  // "%H" stands for the scratch directory
        const char* expected;       // the home whose library is found; "" for none
    };
    const char* jre = "HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment";
    const char* wowJre = "HKLM\\SOFTWARE\\WOW6432Node\\JavaSoft\\Java Runtime Environment";
    const char* temurin21 = "HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI";
    const Layout layouts[] = {
        {"Oracle 8 JRE",
         {{"jre8", 64, "1.8.0_392"}},
         {{jre, "CurrentVersion", "1.8"},
          {std::string(jre) + "\\1.8", "RuntimeLib", "lib:jre8"},
          {std::string(jre) + "\\1.8.0_392", "JavaHome", "jre8"}},
         {},
         64,
         "",
         "jre8"},
        {"Oracle 17 JDK",
         {{"jdk-17", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\JavaSoft\\JDK", "CurrentVersion", "17"},
          {"HKLM\\SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "jdk-17"},
          {"HKLM\\SOFTWARE\\JavaSoft\\JDK\\17.0.9", "JavaHome", "jdk-17"}},
         {},
         64,
         "",
         "jdk-17"},
        {"Temurin MSI without JavaSoft keys",
         {{"temurin-21", 64, "21.0.1"}},
         {{temurin21, "Path", "temurin-21"}},
         {},
         64,
         "",
         "temurin-21"},
        {"Temurin zip, only PATH",
         {{"jdk-17.0.9+9", 64, "17.0.9"}},
         {},
         {"jdk-17.0.9+9"},
         64,
         "",
         "jdk-17.0.9+9"},
        {"a PATH element in quotes",
         {{"jdk 17", 64, "17.0.9"}},
         {},
         {"\"jdk 17"},
         64,
         "",
         "jdk 17"},
        {"Zulu, the home through an environment reference",
         {{"zulu17", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath", "%ORU_TEST_ZULU%"}},
         {},
         64,
         "",
         "zulu17"},
        {"Zulu",
         {{"zulu17", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath", "zulu17"}},
         {},
         64,
         "",
         "zulu17"},
        {"Corretto",
         {{"corretto/jdk11.0.21_9", 64, "11.0.21"}},
         {{"HKLM\\SOFTWARE\\JavaSoft\\JDK\\11.0.21_9", "JavaHome", "corretto/jdk11.0.21_9"}},
         {},
         64,
         "",
         "corretto/jdk11.0.21_9"},
        {"Microsoft",
         {{"microsoft-17", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\Microsoft\\JDK\\17.0.9.8\\hotspot\\MSI", "Path", "microsoft-17"}},
         {},
         64,
         "",
         "microsoft-17"},
        {"Liberica",
         {{"liberica-17", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\BellSoft\\Liberica\\jdk-17", "InstallationPath", "liberica-17"}},
         {},
         64,
         "",
         "liberica-17"},
        {"Semeru",
         {{"semeru-17-jre", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\Semeru\\JRE\\17.0.9.9\\openj9\\MSI", "Path", "semeru-17-jre"}},
         {},
         64,
         "",
         "semeru-17-jre"},
        {"per-user install",
         {{"user-temurin", 64, "21.0.1"}},
         {{"HKCU\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", "Path",
           "user-temurin"}},
         {},
         64,
         "",
         "user-temurin"},
        {"32-bit JRE under WOW6432Node, i686 launcher",
         {{"jre32", 32, "1.8.0_392"}, {"jdk64", 64, "17.0.9"}},
         {{wowJre, "CurrentVersion", "1.8"},
          {std::string(wowJre) + "\\1.8", "RuntimeLib", "lib:jre32"},
          {"HKLM\\SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "jdk64"}},
         {},
         32,
         "",
         "jre32"},
        {"the same machine, x86_64 launcher",
         {{"jre32", 32, "1.8.0_392"}, {"jdk64", 64, "17.0.9"}},
         {{wowJre, "CurrentVersion", "1.8"},
          {std::string(wowJre) + "\\1.8", "RuntimeLib", "lib:jre32"},
          {"HKLM\\SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "jdk64"}},
         {},
         64,
         "",
         "jdk64"},
        {"two runtimes, minjre 17: only the newer satisfies",
         {{"temurin-11", 64, "11.0.21"}, {"zulu-17", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\11.0.21.9\\hotspot\\MSI", "Path", "temurin-11"},
          {"HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath", "zulu-17"}},
         {},
         64,
         "minjre 17",
         "zulu-17"},
        {"two runtimes, the newer of the wrong machine type: the older satisfies",
         {{"temurin-11", 64, "11.0.21"}, {"zulu-17", 32, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\11.0.21.9\\hotspot\\MSI", "Path", "temurin-11"},
          {"HKLM\\SOFTWARE\\Azul Systems\\Zulu\\zulu-17", "InstallationPath", "zulu-17"}},
         {},
         64,
         "minjre 1.8",
         "temurin-11"},
        {"no minjre: the highest of the registry and PATH",
         {{"temurin-21", 64, "21.0.1"}, {"jdk-22", 64, "22"}, {"jdk-17", 64, "17.0.9"}},
         {{temurin21, "Path", "temurin-21"},
          {"HKLM\\SOFTWARE\\JavaSoft\\JDK\\17", "JavaHome", "jdk-17"}},
         {"jdk-22"},
         64,
         "",
         "jdk-22"},
        {"minjre above every runtime",
         {{"temurin-21", 64, "21.0.1"}},
         {{temurin21, "Path", "temurin-21"}},
         {},
         64,
         "minjre 25",
         ""},
        {"64-bit runtime on PATH offered to the i686 launcher",
         {{"jdk64", 64, "17.0.9"}},
         {},
         {"jdk64"},
         32,
         "",
         ""},
        {"64-bit runtime on PATH passed over, a 32-bit one after it taken",
         {{"jdk64", 64, "17.0.9"}, {"jre32", 32, "1.8.0_392"}},
         {},
         {"jdk64", "jre32"},
         32,
         "",
         "jre32"},
        {"configured 64-bit library passed over by the i686 launcher",
         {{"jdk64", 64, "17.0.9"}, {"jre32", 32, "1.8.0_392"}},
         {},
         {"jre32"},
         32,
         "jvmdll %Hjdk64/bin/server/jvm.dll",
         "jre32"},
        {"jre_order naming only the original letters: as before",
         {{"temurin-21", 64, "21.0.1"}},
         {{temurin21, "Path", "temurin-21"}},
         {},
         64,
         "jre_order csie",
         ""},
        {"a key whose version overflows loses to a real one",
         {{"lure", 64, "17.0.9"}, {"jdk-17", 64, "17.0.9"}},
         {{"HKLM\\SOFTWARE\\JavaSoft\\JDK\\99999999999999999999", "JavaHome", "lure"},
          {"HKLM\\SOFTWARE\\JavaSoft\\JDK\\17.0.9", "JavaHome", "jdk-17"}},
         {},
         64,
         "",
         "jdk-17"},
        {"a release whose version overflows loses to a registered one",
         {{"lure", 64, "99999999999999999999"}, {"temurin-11", 64, "11.0.21"}},
         {{"HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\11.0.21.9\\hotspot\\MSI", "Path", "temurin-11"}},
         {"lure"},
         64,
         "jre_order vp",
         "temurin-11"},
        {"jre_order naming the vendors' letter",
         {{"temurin-21", 64, "21.0.1"}, {"jdk-22", 64, "22"}},
         {{temurin21, "Path", "temurin-21"}},
         {"jdk-22"},
         64,
         "jre_order V",
         "temurin-21"},
    };
    for (const Layout& layout : layouts) {
        ScratchDirectory scratch;
        FakeRegistry registry(layout.launcherBits);
        std::string pathValue;
        for (const Runtime& runtime : layout.runtimes) {
            scratch.write(libraryBelow(runtime.home), libraryImage(runtime.bits));
            scratch.write(native(std::string(runtime.home) + "/release"),
                          std::string("JAVA_VERSION=\"") + runtime.version + "\"\n");
        }
        for (std::string home : layout.path) {
            const bool quoted = home[0] == '"';
            if (quoted) home.erase(0, 1);
            std::string java = scratch.write(
                native(home + "/bin/") + (onWindows() ? "java.exe" : "java"), "#!/bin/sh\n");
            std::filesystem::permissions(java, std::filesystem::perms::owner_all);
            if (!pathValue.empty()) pathValue += onWindows() ? ';' : ':';
            std::string element = scratch.path() + native(home + "/bin");
            pathValue += quoted ? '"' + element + '"' : element;
        }
        for (const Key& key : layout.keys) {
            std::string data = key.data;
            bool library = data.rfind("lib:", 0) == 0;
            if (std::string(key.value) != "CurrentVersion" && data[0] != '%')
                data = scratch.path() + (library ? libraryBelow(data.substr(4)) : native(data));
            registry.set(key.key, key.value, data);
        }
        EnvironmentGuard pathGuard("PATH", pathValue.empty() ? "/oru-nowhere" : pathValue.c_str());
        EnvironmentGuard zulu("ORU_TEST_ZULU", (scratch.path() + "zulu17").c_str());
        std::string configuration = layout.configuration;
        std::string::size_type at = configuration.find("%H");
        if (at != std::string::npos)
            configuration = native(configuration.replace(at, 2, scratch.path()));
        LauncherConfig config("tool", NarrowString(""), NarrowString(configuration.c_str()));
        std::string found =
            findConfiguredRuntimeLibrary(config, {registry, layout.launcherBits}).c_str();
        if (*layout.expected == '\0') {
            EXPECT_EQ(found, "") << layout.name;
        } else {
            std::string expected = scratch.path() + libraryBelow(layout.expected);
            EXPECT_TRUE(!found.empty() && std::filesystem::equivalent(found, expected))
                << layout.name << ": found " << found;
        }
    }
}

// Code is loaded only from places named in full: a relative jvmdll from beside the
// executable alone; relative PATH elements, homes and registered paths never, though the
// current (and start-up) directory holds a runtime wherever they point.
TEST_F(DiscoveryTest, NothingRelativeIsConsulted) {
    for (const std::string home : {"runtime", ".", "sub"}) {
        plantLibrary(dir, libraryBelow(home));
        std::string java =
            dir.write(native(home + "/bin/") + (onWindows() ? "java.exe" : "java"), "#!/bin/sh\n");
        std::filesystem::permissions(java, std::filesystem::perms::owner_all);
    }
    const std::string app = dir.makeDirectory("app");
    recordDirectories(NarrowString((app + testing::separator() + "tool").c_str()),
                      NarrowString(dir.path().c_str()));
    struct CurrentDirectory {
        const std::filesystem::path saved = std::filesystem::current_path();
        ~CurrentDirectory() { std::filesystem::current_path(saved); }
    } restore;
    std::filesystem::current_path(dir.path());
    FakeRegistry registry(sizeof(void*) * 8);
    const std::string jre = "HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment";
    registry.set(jre, "CurrentVersion", "1.8");
    registry.set(jre + "\\1.8", "RuntimeLib", libraryBelow("sub"));
    registry.set("HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", "Path", "sub");
    struct Case {
        std::string configuration;
        const char* variable;
        std::string value;
        bool found = false;
    } cases[] = {
        {"jvmdll " + libraryBelow("runtime") + "\r\njre_order c", "PATH", "/oru-nowhere"},
        {"jre_order p", "PATH", "bin"},
        {"jre_order p", "PATH", native("./bin")},
        {"jre_order p", "PATH", native("sub/bin")},
        {"jre_order s", "PATH", native("sub/bin")},
        {"jre_order e", "JAVA_HOME", "sub"},
        {"jre_order e", "JRE_HOME", "."},
        {"jre_order s", "PATH", "/oru-nowhere"},  // the registered relative RuntimeLib
        {"jre_order v", "PATH", "/oru-nowhere"},  // the registered relative home
        {"jre_order p", "PATH", dir.path() + native("sub/bin"), true},
    };
    for (const Case& c : cases) {
        EnvironmentGuard variable(c.variable, c.value.c_str());
        LauncherConfig config("tool", NarrowString(""), NarrowString(c.configuration.c_str()));
        const std::string found =
            findConfiguredRuntimeLibrary(config, {registry, sizeof(void*) * 8}).c_str();
        EXPECT_TRUE(c.found ? !found.empty() && std::filesystem::equivalent(
                                                    found, dir.path() + libraryBelow("sub"))
                            : found.empty())
            << c.configuration << " " << c.variable << "=" << c.value << ": found " << found;
    }
}

// A library that is no whole image (an interrupted update: empty, cut short, a script in
// its place) is passed over wherever it is found, and the search goes on.
TEST_F(DiscoveryTest, IncompleteLibrariesArePassedOver) {
    const std::string whole = libraryImage();
    const std::string valid = plantLibrary(dir, libraryBelow("valid"));
    EnvironmentGuard javaHome("JAVA_HOME", (dir.path() + "valid").c_str());
    EnvironmentGuard jreHome("JRE_HOME", (dir.path() + "broken").c_str());
    for (const std::string& bytes :
         {std::string(), whole.substr(0, whole.size() / 2), std::string("@echo off\r\n")}) {
        const std::string broken = dir.write(libraryBelow("broken"), bytes);
        EXPECT_EQ(find("jvmdll " + broken + "\r\njre_order ce"), valid) << bytes.size();
    }
}

TEST(RuntimeVersionTest, VersionTexts) {
    struct Version {
        const char* text;
        int numbers[4];  // all 0 for a text that overflows: no version
        bool fits = true;
    } versions[] = {
        {"1.8.0_392", {8, 0, 392, 0}},
        {"17.0.9+9", {17, 0, 9, 9}},
        {"zulu-17", {17, 0, 0, 0}},
        {"jdk-8-full", {8, 0, 0, 0}},
        {"\"21.0.1\"\nOS", {21, 0, 1, 0}},
        {"1", {1, 0, 0, 0}},
        {"", {0, 0, 0, 0}},
        {"999999999.1", {999999999, 1, 0, 0}},
        {"1000000000.1", {0, 0, 0, 0}, false},
        {"99999999999999999999", {0, 0, 0, 0}, false},
        {"17.0.99999999999999999999", {0, 0, 0, 0}, false},
    };
    for (const Version& v : versions) {
        int numbers[4];
        EXPECT_EQ(parseRuntimeVersion(v.text, numbers), v.fits) << v.text;
        EXPECT_TRUE(std::equal(numbers, numbers + 4, v.numbers)) << v.text;
    }
}

// A library file's claimed width, and whether it is whole: every header field the loader
// needs, and every byte it maps, inside the file. The PE rows run in the Windows tests.
TEST(RuntimeVersionTest, LibraryImages) {
    const std::string pe64 = peImage(0x8664);
    const std::string elf64 = elfImage(2);
    auto with = [](std::string image, size_t at, int value) {
        set16(image, at, static_cast<uint32_t>(value));
        return image;
    };
    struct Image {
        std::string bytes;
        int bits;
        bool loadable;
    } images[] = {
        {peImage(0x14c), 32, true},
        {pe64, 64, true},
        {peImage(0xaa64), 64, true},
        {peImage(0x1c4), 0, false},                    // a machine the launcher does not know
        {with(pe64, 0x40, 0x4558), 0, false},          // "PX": no PE signature
        {with(pe64, 0x3e, 0x7f), 0, false},            // the signature far past the end
        {peImage(0x8664, 0x10b), 64, false},           // a PE32 optional header
        {with(pe64, 0x46, 0), 64, false},              // no section
        {with(pe64, 0x46, 30), 64, false},             // the section table runs past the end
        {pe64.substr(0, pe64.size() - 1), 64, false},  // the section's data cut short
        {pe64.substr(0, 0x100), 64, false},
        {elfImage(1), 32, true},
        {elf64, 64, true},
        {elfImage(2, 183), 64, true},  // AArch64
        {elfImage(3), 0, false},
        {elfImage(1, 62), 32, false},                    // x86_64 code in a 32-bit file
        {with(elf64, 4, 0x0202), 64, false},             // big-endian
        {with(elf64, 16, 2), 64, false},                 // an executable, not a shared object
        {with(elf64, 0x36, 32), 64, false},              // program headers of the 32-bit size
        {with(elf64, 0x38, 9), 64, false},               // program headers past the end
        {elf64.substr(0, elf64.size() - 1), 64, false},  // the loaded segment cut short
        {elf64.substr(0, 63), 0, false},                 // shorter than its header
        {"", 0, false},
        {"#!/bin/sh\nexec java \"$@\"\n", 0, false},
    };
    ScratchDirectory dir;
    for (const Image& image : images) {
        const LibraryImage found =
            inspectLibrary(NarrowString(dir.write("lib", image.bytes).c_str()));
        // Each system's launcher reads its own format: the other's library is nothing to it.
        const bool own = onWindows() ? image.bytes.compare(0, 2, "MZ") == 0
                                     : image.bytes.compare(0, 4,
                                                           "\x7f"
                                                           "ELF") == 0;
        EXPECT_TRUE(found.found);
        EXPECT_EQ(found.bits, own ? image.bits : 0) << &image - images;
        EXPECT_EQ(found.loadable, own && image.loadable) << &image - images;
    }
    EXPECT_FALSE(inspectLibrary(NarrowString((dir.path() + "missing").c_str())).found);
}

}  // namespace
}  // namespace oru
