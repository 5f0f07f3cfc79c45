// Launching the Java test programs with the real runtime, and reading what they report.
#include "java_probe.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "jvm/runtime_release.h"

namespace oru::testing {

std::string testProgramsJar() { return ORU_TEST_PROGRAMS_JAR; }

std::string jdkHome() { return std::filesystem::weakly_canonical(ORU_TEST_JDK_HOME).string(); }

std::string jvmBelowHome() { return ORU_TEST_JVM; }

std::string jdkLibrary() { return jdkHome() + "/" + jvmBelowHome(); }

TestRuntime newestRuntime(int minimum) {
    namespace fs = std::filesystem;
    TestRuntime newest{"", "", 0};
    std::error_code error;
    if (!*ORU_TEST_EMULATOR)
        for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib/jvm", error)) {
            const std::string home = entry.path().string();
            const std::string library = home + "/lib/server/libjvm.so";
            const RuntimeRelease release = readRuntimeRelease(NarrowString(library.c_str()));
            if (release.feature >= minimum && release.feature > newest.feature &&
                fs::exists(library))
                newest = {home, library, release.feature};
        }
    static bool told = false;
    if (!newest.feature && !told) {
        told = true;
        std::cout << "skipped: no Java " << minimum << "+" << std::endl;
    }
    return newest;
}

std::vector<TestRuntime> testRuntimes() {
    std::vector<TestRuntime> runtimes = {
        {jdkHome(), jdkLibrary(), readRuntimeRelease(NarrowString(jdkLibrary().c_str())).feature}};
    const TestRuntime newest = newestRuntime(24);
    if (newest.feature) runtimes.push_back(newest);
    return runtimes;
}

Environment cleanEnvironment(const Environment& extra) {
    Environment env = {{"LANG", "C"},
                       {"LC_ALL", std::nullopt},
                       {"JAVA_HOME", std::nullopt},
                       {"JRE_HOME", std::nullopt},
                       {"CLASSPATH", std::nullopt},
                       {"CLASS_PATH", std::nullopt}};
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::string packApp(const ScratchDirectory& dir, const std::string& name,
                    const std::vector<std::string>& configuration) {
    tools::ZipWriter archive;
    archive.add("readme.txt", "the application lives on the disk class path");
    std::string exe = dir.path() + name;
    packLauncher(exe, archive, configuration);
    return exe;
}

std::vector<std::string> probeConfiguration(const std::string& mainClass,
                                            const std::vector<std::string>& more) {
    std::vector<std::string> lines = {"jvmdll " + jdkLibrary(), "jre_order c",
                                      "classpath " + testProgramsJar(), "mainclass " + mainClass};
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

std::vector<std::string> reportedAll(const std::string& output, const std::string& name) {
    std::vector<std::string> values;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(name + "=", 0) == 0) values.push_back(line.substr(name.size() + 1));
    return values;
}

std::string reported(const std::string& output, const std::string& name) {
    std::vector<std::string> values = reportedAll(output, name);
    return values.empty() ? "<absent>" : values.front();
}

// The locales, generated once into a directory of their own (found through LOCPATH), so
// that the machine's own locale list is left alone.
static const std::string& localeDirectory() {
    static ScratchDirectory directory;
    static const bool generated = [] {
        bool ok = true;
        for (const std::string charmap : {"BIG5", "GBK", "ISO-8859-1"}) {
            const std::string input = charmap == "BIG5"  ? "zh_TW"
                                      : charmap == "GBK" ? "zh_CN"
                                                         : "de_DE";
            const std::string command = "localedef -i " + input + " -f " + charmap + " '" +
                                        directory.path() + input + "." + charmap +
                                        "' >/dev/null 2>&1";
            ok &= std::system(command.c_str()) == 0;
        }
        return ok;
    }();
    EXPECT_TRUE(generated) << "localedef failed: is Debian's locales package installed?";
    return directory.path();
}

Environment inLocale(const char* locale) {
    return cleanEnvironment({{"LOCPATH", localeDirectory()},
                             {"LC_CTYPE", std::nullopt},
                             {"LC_MESSAGES", std::nullopt},
                             {"LANG", locale}});
}

}  // namespace oru::testing
