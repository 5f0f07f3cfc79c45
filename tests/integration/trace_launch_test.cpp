// The launch trace: the decisive lines of each kind of outcome, its two destinations, and
// a trace that cannot be written changing nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "java_probe.h"

namespace oru::testing {
namespace {

// The trace's lines without their time stamps ("oru-trace 12ms " dropped).
std::vector<std::string> traceEvents(const std::string& trace) {
    std::vector<std::string> events;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const size_t ms = line.find("ms ");
        if (line.rfind("oru-trace ", 0) == 0 && ms != std::string::npos)
            events.push_back(line.substr(ms + 3));
    }
    return events;
}

bool hasEvent(const std::vector<std::string>& events, const std::string& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

TEST(TraceLaunchTest, EachOutcomeTellsItsDecisiveSteps) {
    ScratchDirectory dir;
    const struct {
        const char* label;
        std::vector<std::string> configuration;
        std::vector<std::string> events;
    } cases[] = {
        {"runs",
         probeConfiguration("probe.Report"),
         {"runtime: trying c", "runtime: c: jvmdll " + jdkLibrary() + ": found",
          "vm: loaded " + jdkLibrary(), "vm: JNI_CreateJavaVM returned 0",
          "classpath: 2: " + testProgramsJar(), "main: main class \"probe.Report\"",
          "main: system class loader: the runtime's own (no \"systemloader true\")",
          "main: loaded from the class path directly",
          "main: calling static main(String[]) with 0 arguments", "main: main returned",
          "launch: result 0"}},
        {"runtime not found",
         {"jre_order c", "mainclass probe.Report"},
         {"runtime: search order c", "runtime: c: no jvmdll configured",
          "runtime: no runtime library found", "launch: result 1"}},
        {"minjre too low",
         probeConfiguration("probe.Report", {"minjre 999.0"}),
         {"config: minjre = \"999.0\"", "launch: minjre 999.0, running 17.0: too low",
          "launch: result 6"}},
        {"main class missing",
         probeConfiguration("probe.Missing"),
         {"main: main class \"probe.Missing\"", "main: not found", "launch: result 7"}},
    };
    for (const auto& c : cases) {
        std::string exe = packApp(dir, "app", c.configuration);
        std::string trace = dir.path() + "trace.txt";
        std::remove(trace.c_str());
        RunResult run = runProgram(exe, {{}, cleanEnvironment({{"ORU_TRACE", trace}})});
        EXPECT_EQ(run.exitCode, hasEvent(traceEvents(readFile(trace)), "launch: result 0") ? 0 : 1)
            << c.label;
        std::vector<std::string> events = traceEvents(readFile(trace));
        EXPECT_TRUE(hasEvent(events, "config: executable " + exe)) << c.label;
        for (const std::string& event : c.events)
            EXPECT_TRUE(hasEvent(events, event)) << c.label << ": no \"" << event << "\" in\n"
                                                 << readFile(trace);
    }
}

TEST(TraceLaunchTest, StandardErrorOrNowhere) {
    ScratchDirectory dir;
    std::string exe = packApp(dir, "app", probeConfiguration("probe.Report"));
    RunResult quiet = runProgram(exe, {{"x"}, cleanEnvironment()});
    RunResult traced = runProgram(exe, {{"x"}, cleanEnvironment({{"ORU_TRACE", "1"}})});
    EXPECT_EQ(traced.out, quiet.out);
    EXPECT_TRUE(hasEvent(traceEvents(traced.err), "launch: result 0")) << traced.err;
    // A FIFO without a reader would hold the open forever; a device is no trace file.
    const std::string fifo = dir.path() + "trace-fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& unwritable :
         {std::string("0"), std::string(), std::string("/nonexistent-directory/trace.txt"), fifo,
          std::string("/dev/null"), dir.path()}) {
        RunResult run = runProgram(exe, {{"x"}, cleanEnvironment({{"ORU_TRACE", unwritable}})});
        EXPECT_EQ(run.out, quiet.out) << unwritable;
        EXPECT_EQ(run.err, "") << unwritable;
    }
}

// A reader that leaves after the first line (grep -m1, head -1) drops the rest of the
// trace: no SIGPIPE, and the application runs to its end.
TEST(TraceLaunchTest, AReaderThatLeavesEarlyStopsNothing) {
    ScratchDirectory dir;
    std::string exe = packApp(dir, "app", probeConfiguration("probe.Report"));
    std::string command;
    for (const std::string& word : emulated(exe)) command += "'" + word + "' ";
    for (const char* reader : {"head -1", "grep -m1 runtime:", "true"}) {
        const std::string script = "{ " + command + "x 2>&1 >'" + dir.path() + "out'; echo $? >'" +
                                   dir.path() + "status'; } | " + reader;
        RunResult run =
            runProgram("/bin/sh", {{"-c", script}, cleanEnvironment({{"ORU_TRACE", "1"}})});
        EXPECT_EQ(readFile(dir.path() + "status"), "0\n") << reader;
        EXPECT_EQ(reported(readFile(dir.path() + "out"), "arg0"), "x") << reader;
        if (std::string(reader) != "true") {
            EXPECT_EQ(run.out.rfind("oru-trace ", 0), 0u) << reader << ": " << run.out;
        }
    }
}

}  // namespace
}  // namespace oru::testing
