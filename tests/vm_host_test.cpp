// VmHost without a real runtime: load failures, the missing entry, a refused creation
// (with what the runtime was handed), the search-path retry and release in every state.
#include "jvm/vm_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/environment.h"
#include "platform/library.h"
#include "platform/paths.h"
#include "stand_in.h"
#include "test_support.h"

namespace oru {
namespace {

using testing::EnvironmentGuard;
using testing::ScratchDirectory;

bool onWindows() { return testing::separator() == '\\'; }

// The stand-in runtimes are built beside the test executable.
std::string standIn(const char* name) {
    NarrowString self;
    platform::executablePath(self);
    std::string path = self.c_str();
    return path.substr(0, path.find_last_of(testing::separator()) + 1) + name +
           (onWindows() ? ".dll" : ".so");
}

void addOptions(VmHost& host) {
    host.addOption("-Xunknown-option");
    host.addOption("");
    host.addOption("-Dsame=1");
    host.addOption("-Dsame=1");
}

TEST(VmHostTest, LibraryThatCannotBeLoaded) {
    ScratchDirectory dir;
    EnvironmentGuard path("PATH", "original");
    for (const std::string& library : {std::string(), dir.path() + "missing.lib", dir.path()}) {
        VmHost host;
        addOptions(host);
        EXPECT_EQ(host.createVm(NarrowString(library.c_str())), kRuntimeNotLoadable) << library;
        EXPECT_FALSE(host.hasRuntimeLibrary());
        EXPECT_FALSE(host.hasVm());
        EXPECT_EQ(host.options().count(), 4) << "the options stay for another attempt";
        host.releaseVm();
    }
    NarrowString after;
    platform::environmentValue("PATH", after);
    // Windows retries with the library's parent directory on PATH; Linux leaves PATH alone.
    // Without any path there is no directory to add.
    std::string expected =
        onWindows() ? "original;" + dir.path() + "..;" + dir.path() + ".." : "original";
    EXPECT_EQ(std::string(after.c_str()), expected);
}

TEST(VmHostTest, LibraryWithoutCreationEntry) {
    VmHost host;
    addOptions(host);
    EXPECT_EQ(host.createVm(NarrowString(standIn("stand_in_no_entry").c_str())),
              kRuntimeWithoutEntry);
    EXPECT_TRUE(host.hasRuntimeLibrary()) << "loaded until released";
    EXPECT_EQ(host.options().count(), 4);
    host.releaseVm();
    EXPECT_FALSE(host.hasRuntimeLibrary());
    host.releaseVm();
}

TEST(VmHostTest, RefusedCreationSeesTheOptionsInOrder) {
    std::string library = standIn("stand_in_failing");
    // Held open here so that the record survives the host's unload.
    platform::LibraryHandle probe = platform::loadLibrary(library.c_str());
    ASSERT_NE(probe, nullptr);
    auto lastCall =
        reinterpret_cast<StandInLastCall>(platform::librarySymbol(probe, "standInLastCall"));
    ASSERT_NE(lastCall, nullptr);
    {
        VmHost host;
        addOptions(host);
        EXPECT_EQ(host.createVm(NarrowString(library.c_str())), kVmCreationFailed);
        EXPECT_FALSE(host.hasVm());
        EXPECT_EQ(host.env(), nullptr);
        EXPECT_EQ(host.options().count(), 0) << "emptied once creation was attempted";
    }
    const StandInCall* call = lastCall();
    ASSERT_EQ(call->called, 1);
    EXPECT_EQ(call->version, 0x00010002);
    EXPECT_EQ(call->ignoreUnrecognized, 1);
    EXPECT_EQ(call->extraInfoSet, 0);
    ASSERT_EQ(call->optionCount, 4);
    const char* expected[] = {"-Xunknown-option", "", "-Dsame=1", "-Dsame=1"};
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(call->options[i], expected[i]) << i;
    platform::unloadLibrary(probe);
}

// A runtime library whose companion lies in the directory above it: Windows finds the
// companion once PATH names that directory; Linux finds it through the library's own
// run path and needs no retry.
TEST(VmHostTest, CompanionOneDirectoryUp) {
    ScratchDirectory dir;
    const char sep = testing::separator();
    std::string bin = dir.makeDirectory("bin") + sep;
    std::filesystem::create_directories(bin + "client");
    std::string library = bin + "client" + sep + (onWindows() ? "jvm.dll" : "libjvm.so");
    std::filesystem::copy_file(standIn("stand_in_dependent"), library);
    std::string companion = standIn("stand_in_companion");
    std::string name = companion.substr(companion.find_last_of(sep) + 1);
    companion.insert(companion.size() - name.size(),
                     std::string("stand_in") + sep + "companion" + sep);
    std::filesystem::copy_file(companion, bin + name);

    EnvironmentGuard path("PATH", "original");
    VmHost host;
    EXPECT_EQ(host.createVm(NarrowString(library.c_str())), kVmCreationFailed)
        << "loaded, and its creation entry reached the companion";
    NarrowString after;
    platform::environmentValue("PATH", after);
    EXPECT_EQ(std::string(after.c_str()),
              onWindows() ? "original;" + bin + "client" + sep + ".." : "original");
}

}  // namespace
}  // namespace oru
