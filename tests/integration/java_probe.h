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

// An environment with no runtime or class path variables and the C locale, plus `extra`.
Environment cleanEnvironment(const Environment& extra = {});

// A clean environment in `locale` (zh_TW.BIG5 and zh_CN.GBK are generated for the
// tests), with LC_CTYPE and LC_MESSAGES unset.
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
