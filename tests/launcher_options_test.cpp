// The launcher's own options for the runtime it found: native access and the application
// jar's module attributes, gated by the version its release file states.
#include "jvm/launcher_options.h"

#include "jvm/archive_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace oru {
namespace {

std::vector<std::string> listed(const StringList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.at(i));
    return out;
}

StringList listOf(const std::vector<std::string>& items) {
    StringList list;
    for (const std::string& item : items) list.add(item.c_str());
    return list;
}

TEST(LauncherOptionsTest, RuntimesGetWhatTheirVersionAccepts) {
    const std::string access = "--enable-native-access=ALL-UNNAMED";
    const std::string opens = "--add-opens=java.base/java.lang=ALL-UNNAMED";
    const std::string exports = "--add-exports=java.desktop/sun.awt=ALL-UNNAMED";
    const struct {
        const char* release;  // null: no release file
        std::vector<std::string> options;
    } cases[] = {
        {"JAVA_VERSION=\"1.8.0_402\"\n", {}},
        {"IMPLEMENTOR=\"x\"\nJAVA_VERSION=\"11.0.22\"\n", {exports, opens}},
        {"JAVA_VERSION=\"16\"\r\n", {exports, opens}},
        {"JAVA_VERSION=\"17.0.9\"\n", {access, exports, opens}},
        {"JAVA_VERSION=\"21.0.2\"\n", {access, exports, opens}},
        {"JAVA_VERSION=\"25\"\nMODULES=\"java.base java.desktop\"\n", {access, exports, opens}},
        {"JAVA_VERSION=\"25\"\nMODULES=\"java.base java.logging\"\n", {access, opens}},
        {"IMPLEMENTOR=\"x\"\n", {}},
        {nullptr, {}},
    };
    JarManifest manifest;
    const std::string text =
        "Manifest-Version: 1.0\r\nAdd-Opens: java.base/java.lang bad no/such/pair\r\n"
        "Add-Exports: java.desktop/sun.awt\r\n\r\nName: x/\r\nAdd-Opens: a/b\r\n";
    manifest.read(text.data(), text.size());
    const JarLaunchAttributes jar = jarLaunchAttributes(&manifest);
    for (const auto& c : cases) {
        testing::ScratchDirectory home;
        const std::string library = home.write("lib/server/libjvm.so", "");
        if (c.release) home.write("release", c.release);
        const RuntimeRelease release = readRuntimeRelease(NarrowString(library.c_str()));
        EXPECT_EQ(listed(launcherVmOptions(release, StringList(), jar)), c.options)
            << (c.release ? c.release : "no release file");
    }
}

TEST(LauncherOptionsTest, AJava8JdkIsKnownFromItsHome) {
    testing::ScratchDirectory home;
    home.write("release", "JAVA_VERSION=\"1.8.0_402\"\n");
    const std::string library = home.write("jre/lib/amd64/server/libjvm.so", "");
    EXPECT_EQ(readRuntimeRelease(NarrowString(library.c_str())).feature, 8);
}

TEST(LauncherOptionsTest, TheUsersOwnNativeAccessWins) {
    RuntimeRelease java25;
    java25.feature = 25;
    const JarLaunchAttributes none;
    JarLaunchAttributes granting;
    granting.enableNativeAccess = " ALL-UNNAMED ";
    const std::string access = "--enable-native-access=ALL-UNNAMED";
    const struct {
        std::vector<std::string> user;
        const JarLaunchAttributes& jar;
        std::vector<std::string> options;
    } cases[] = {
        {{"-Xmx64m"}, none, {access}},
        {{"--illegal-native-access=deny"}, none, {}},
        {{"--enable-native-access=my.module"}, none, {}},
        {{"--illegal-native-access=deny"}, granting, {access}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listed(launcherVmOptions(java25, listOf(c.user), c.jar)), c.options)
            << c.user.front();
    RuntimeRelease java21 = java25;
    java21.feature = 21;
    EXPECT_TRUE(
        listed(launcherVmOptions(java21, listOf({"--illegal-native-access=deny"}), granting))
            .empty())
        << "Enable-Native-Access counts from Java 22 on, as under java -jar";
}

// Each runtime writes the archive at exit in the way it knows, then maps it; a runtime
// before 13 gets nothing. Every run quiets the runtime's lines about archives.
TEST(LauncherOptionsTest, TheArchiveOptionsFollowTheVersion) {
    const std::string quiet = "-Xlog:cds*=off";
    const std::string silent[] = {"-XX:+UnlockDiagnosticVMOptions", "-XX:-DisplayVMOutput"};
    const struct {
        int feature;
        bool exists;
        std::vector<std::string> options;
    } cases[] = {
        {0, false, {}},
        {11, false, {}},
        {13, false, {"-XX:ArchiveClassesAtExit=a", quiet}},
        {17, true, {"-XX:SharedArchiveFile=a", quiet}},
        {19, false, {"-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=a", quiet}},
        {24, true, {"-XX:SharedArchiveFile=a", quiet}},
        {25, false, {"-XX:AOTCacheOutput=a", "-Xlog:aot*=off", quiet, silent[0], silent[1]}},
        {26, true, {"-XX:AOTCache=a", "-Xlog:aot*=off", quiet}},
    };
    for (const auto& c : cases) {
        StringList options;
        archiveCacheOptions(c.feature, c.exists, "a", options);
        EXPECT_EQ(listed(options), c.options)
            << c.feature << (c.exists ? " with the archive" : " without it");
    }
}

TEST(LauncherOptionsTest, TheUsersOwnArchiveOptionsWin) {
    const struct {
        const char* option;
        bool names;
    } cases[] = {
        {"-XX:SharedArchiveFile=my.jsa", true},
        {"-XX:ArchiveClassesAtExit=x", true},
        {"-XX:AOTCache=app.aot", true},
        {"-XX:AOTCacheOutput=app.aot", true},
        {"-XX:AOTMode=off", true},
        {"-XX:-AutoCreateSharedArchive", true},
        {"-Xshare:off", true},
        {"-Xlog:cds", false},
        {"-Xmx64m", false},
        {"-Dname=AOTCache", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(namesArchiveOption(listOf({"-Xss1m", c.option})), c.names) << c.option;
}

}  // namespace
}  // namespace oru
