// What an application sees of its own world, packed and under java -cp on the same jars:
// one probe, one row per observable.
#include <gtest/gtest.h>

#include <cstdlib>

#include "bridge_app.h"
#include "java_probe.h"

namespace oru::testing {
namespace {

const std::string kAppJar = std::string(ORU_WORLD_JARS) + "/app.jar";
const std::string kMultiReleaseJar = std::string(ORU_WORLD_JARS) + "/mr.jar";
// Written by Python's zipfile: names that URLs escape, and names in UTF-8 without the mark.
const std::string kNamesJar = std::string(ORU_WORLD_JARS) + "/names.jar";
const std::string kUnflaggedJar = std::string(ORU_WORLD_JARS) + "/unflagged.jar";
const char kHandlers[] = "java.protocol.handler.pkgs=world.handlers";
// An emulated machine cannot take the stack overflow of the depth probe: it stays shallow.
const bool kEmulated = *ORU_TEST_EMULATOR != '\0';
const std::vector<std::string> kProbeArguments =
    kEmulated ? std::vector<std::string>{"shallow"} : std::vector<std::string>{};

// Packs `jar` (and `more` of oru-pack's arguments) to run on `runtime`.
std::string packFor(const ScratchDirectory& dir, const TestRuntime& runtime, const std::string& jar,
                    const std::vector<std::string>& more) {
    const std::string exe = dir.path() + "world";
    std::vector<std::string> args = {
        "--launcher", launcherPath(), "-o",    exe, "--config", "jvmdll " + runtime.library,
        "--config",   "jre_order c",  "--jar", jar};
    args.insert(args.end(), more.begin(), more.end());
    for (const std::string& option : testVmOptions()) args.insert(args.end(), {"--option", option});
    RunResult packed = runProgram(ORU_PACK_PATH, {args});
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    return exe;
}

std::string packWorld(const ScratchDirectory& dir, const TestRuntime& runtime) {
    return packFor(dir, runtime, kAppJar,
                   {"--lib", kMultiReleaseJar, "--lib", kNamesJar, "--lib", kUnflaggedJar,
                    "--option", "-Xss64m", "--property", kHandlers});
}

// java on `runtime` with the test options and `args`.
RunResult runJava(const TestRuntime& runtime, std::vector<std::string> args,
                  const Environment& environment = cleanEnvironment()) {
    // The virtual machine the packed side names (the 32-bit runtime has only the client one).
    if (runtime.library.find("/client/") != std::string::npos) args.insert(args.begin(), "-client");
    const std::vector<std::string> options = testVmOptions();
    args.insert(args.begin(), options.begin(), options.end());
    return runProgram(runtime.home + "/bin/java", {args, environment});
}

RunResult runWorld(const TestRuntime& runtime) {
    std::vector<std::string> args = {
        "-Xss64m", std::string("-D") + kHandlers, "-cp",
        kAppJar + ":" + kMultiReleaseJar + ":" + kNamesJar + ":" + kUnflaggedJar, "world.World"};
    args.insert(args.end(), kProbeArguments.begin(), kProbeArguments.end());
    return runJava(runtime, args);
}

void expectTheSameView(const std::string& exe, const RunResult& java);

// On the build's Java and on the newest one, which warns where native access is not granted.
TEST(JavaViewTest, PackedApplicationSeesWhatJavaCpShows) {
    for (const TestRuntime& runtime : testRuntimes()) {
        SCOPED_TRACE(runtime.home);
        ScratchDirectory dir;
        expectTheSameView(packWorld(dir, runtime), runWorld(runtime));
    }
}

void expectTheSameView(const std::string& exe, const RunResult& java) {
    ASSERT_EQ(java.exitCode, 0) << java.err;
    EXPECT_EQ(java.err, "");
    for (const char* locale : {"C.UTF-8", "zh_CN.GBK", "zh_TW.BIG5", "de_DE.ISO-8859-1"}) {
        const RunResult run = runProgram(exe, {kProbeArguments, inLocale(locale)});
        EXPECT_EQ(run.exitCode, 0) << locale;
        EXPECT_EQ(run.err, "") << locale;
        const struct {
            const char* fact;
            std::string expected;  // empty: as java -cp reports it
        } rows[] = {
            {"handler", "scheme hello"},     // java.protocol.handler.pkgs
            {"systemclass", "world.World"},  // the system class loader sees packed classes
            {"systemresource", "x in dir"},
            {"codesource", "file:" + exe},                // java -cp: the jar's file: URL
            {"implversion", "4.5.6"},                     // the package's own section first
            {"specversion", "1.2"},                       // then the main section
            {"impltitle", "World probe \\uD83D\\uDE00"},  // a character beyond the BMP
            {"relative", "y beside x"},
            {"parent", "z above"},
            {"uri", "x in dir"},
            {"spaced", "spaced out"},
            {"utf8resource", "\\u4E2D\\u6587 text"},
            {"utf8class", "Gr\\u00FC\\u00DFe"},
            {"length", ""},
            {"lengthheader", ""},
            {"modified", ""},
            {"multirelease", "11"},
            {"unflaggedclass", "\\u00C4rger"},
        };
        for (const auto& row : rows) {
            const std::string& want =
                row.expected.empty() ? reported(java.out, row.fact) : row.expected;
            if (row.fact != std::string("codesource")) {
                EXPECT_EQ(reported(java.out, row.fact), want) << "java -cp: " << row.fact;
            }
            EXPECT_EQ(reported(run.out, row.fact), want) << locale << ": " << row.fact;
        }
        EXPECT_EQ(reported(java.out, "codesource"), "file:" + kAppJar);
        // Every name reads its own entry back through its URL; what must find nothing
        // (a NUL, a lone surrogate, malformed escapes beside decoys) finds nothing.
        for (const char* fact : {"roundtrip", "nothing", "unflaggedresource", "folder"}) {
            EXPECT_EQ(reportedAll(run.out, fact), reportedAll(java.out, fact)) << locale;
        }
        const std::vector<std::string> roundTrips = reportedAll(run.out, "roundtrip");
        EXPECT_EQ(roundTrips.size(), 9u) << locale;
        for (const std::string& line : roundTrips) EXPECT_EQ(line.substr(line.rfind(' ')), " own");
        const std::vector<std::string> nothing = reportedAll(run.out, "nothing");
        EXPECT_EQ(nothing.size(), kEmulated ? 0u : 4u) << locale;
        for (const std::string& line : nothing) EXPECT_EQ(line.substr(line.rfind(' ')), " nothing");
        // A folder is found by its name with or without the "/", a file's name with a
        // "/" finds nothing.
        EXPECT_EQ(
            reportedAll(java.out, "folder"),
            (std::vector<std::string>{"dir 1  as asked", "dir/ 1  as asked", "dir/x.txt/ 0 none"}));
        EXPECT_EQ(reportedAll(run.out, "unflaggedresource"),
                  (std::vector<std::string>{"\\u00C4rger unflagged", "\\u4E2D\\u6587 unflagged"}));
        // Both start main on a thread of the configured stack size.
        if (kEmulated) continue;
        const double depth = std::atof(reported(run.out, "depth").c_str());
        const double javaDepth = std::atof(reported(java.out, "depth").c_str());
        EXPECT_NEAR(depth / javaDepth, 1.0, 0.1) << locale << ": " << depth << " vs " << javaDepth;
    }
}

// Add-Opens and Enable-Native-Access in the application jar's manifest (or, laid out at
// the root, in the executable's own), read as java -jar reads them: java.lang opened to
// the application, native code loaded without a warning. Without them java.lang stays
// closed in both.
TEST(JavaViewTest, TheJarsModuleAttributesAsJavaJarReadsThem) {
    for (const TestRuntime& runtime : testRuntimes()) {
        for (const char* layout : {"nested", "root"}) {
            for (const char* name : {"opens.jar", "closed.jar"}) {
                const std::string jar = std::string(ORU_WORLD_JARS) + "/" + name;
                SCOPED_TRACE(runtime.home + " " + layout + " " + name);
                ScratchDirectory dir;
                const RunResult java = runJava(runtime, {"-jar", jar});
                const RunResult run = runProgram(packFor(dir, runtime, jar, {"--layout", layout}),
                                                 {{}, cleanEnvironment()});
                EXPECT_EQ(run.exitCode, 0) << run.err;
                const bool opens = name == std::string("opens.jar");
                EXPECT_EQ(reported(run.out, "opens"),
                          opens ? "opened" : "java.lang.reflect.InaccessibleObjectException");
                EXPECT_EQ(reported(run.out, "opens"), reported(java.out, "opens"));
                EXPECT_EQ(reported(run.out, "load"), reported(java.out, "load"));
                if (opens) {
                    EXPECT_EQ(run.err, java.err);
                }
            }
        }
    }
}

// Sealed packages as java seals them, though every packed class shares one code source:
// a class from another jar cannot join a package that a jar seals, nor can a jar seal a
// package already defined. The manifest's title (a character beyond the BMP, malformed
// bytes, a NUL) reaches the package as java decodes it.
TEST(JavaViewTest, SealedPackagesAsJavaSealsThem) {
    tools::ZipWriter app, lib;
    app.add("META-INF/MANIFEST.MF",
            "Manifest-Version: 1.0\r\nMain-Class: sealing.Probe\r\n"
            "Implementation-Title: x\xF0\x9F\x98\x80\xFF\xED\xA0\x80" +
                std::string(1, '\0') +
                "y\r\n\r\nName: one/\r\nSealed: true\r\n\r\nName: two/\r\nSealed: TRUE\r\n");
    for (const char* name : {"sealing/Probe", "one/A", "two/D"})
        app.add(name + std::string(".class"), classBytes(ORU_SEALING_CLASSES, name));
    for (const char* name : {"one/B", "two/C"})
        lib.add(name + std::string(".class"), classBytes(ORU_SEALING_CLASSES, name));
    const std::string appBytes = app.finish(), libBytes = lib.finish();
    const std::vector<std::string> expected = {
        "one.A=sealed true, title x\\uD83D\\uDE00\\uFFFD\\uFFFD\\u0000y",
        "one.B=java.lang.SecurityException: sealing violation: package one is sealed",
        "two.C=sealed false, title null",
        "two.D=java.lang.SecurityException: sealing violation: can't seal package two: already "
        "defined"};
    for (const TestRuntime& runtime : testRuntimes()) {
        SCOPED_TRACE(runtime.home);
        ScratchDirectory dir;
        const std::string appJar = dir.write("app.jar", appBytes);
        const std::string libJar = dir.write("lib.jar", libBytes);
        const RunResult java = runJava(runtime, {"-cp", appJar + ":" + libJar, "sealing.Probe"});
        const RunResult run =
            runProgram(packFor(dir, runtime, appJar, {"--lib", libJar}), {{}, cleanEnvironment()});
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, java.out);
        for (const std::string& line : expected)
            EXPECT_NE(run.out.find(line + "\n"), std::string::npos) << line << "\n" << run.out;
    }
}

}  // namespace
}  // namespace oru::testing
