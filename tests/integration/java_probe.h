// Launching the Java test programs with the real runtime, and reading what they report.
#pragma once

#include <string>
#include <vector>

#include "launcher_run.h"
#include "test_support.h"

namespace oru::testing {

// The jar of the Java test programs; the runtime the tests run on (the build's JDK, or the
// one the build names), its virtual-machine library relative to its home, and in full.
std::string testProgramsJar();
std::string jdkHome();
std::string jvmBelowHome();
std::string jdkLibrary();

// A runtime the integration tests run on: its home and its virtual-machine library.
struct TestRuntime {
    std::string home;
    std::string library;
    int feature;  // the feature version its release file states
};

// The newest runtime under /usr/lib/jvm of feature version `minimum` or later that this
// build's programs can load; `feature` is 0 when there is none (or the build runs
// emulated). The first call that finds none prints "skipped: no Java <minimum>+".
TestRuntime newestRuntime(int minimum);

// The build's runtime, then the newest of Java 24 or later when there is one: the
// runtimes that warn about native access, to run a table on both.
std::vector<TestRuntime> testRuntimes();

// An environment with no runtime or class path variables and the C locale, plus `extra`.
Environment cleanEnvironment(const Environment& extra = {});

// A clean environment in `locale` (zh_TW.BIG5, zh_CN.GBK and de_DE.ISO-8859-1 are
// generated for the tests), with LC_CTYPE and LC_MESSAGES unset.
Environment inLocale(const char* locale);

// Packs the launcher as `dir`/`name` with a one-entry archive and `configuration` as its
// comment; returns the executable's path.
std::string packApp(const ScratchDirectory& dir, const std::string& name,
                    const std::vector<std::string>& configuration);

// The configuration of a launch that runs `mainClass` from the test programs' jar on the
// JDK of the build.
std::vector<std::string> probeConfiguration(const std::string& mainClass,
                                            const std::vector<std::string>& more = {});

// The value of the first "name=value" line of `output`, or "<absent>".
std::string reported(const std::string& output, const std::string& name);
// Every value reported under `name`, in order.
std::vector<std::string> reportedAll(const std::string& output, const std::string& name);

}  // namespace oru::testing
