// oru-pack from the command line: one command from jars to a running executable, the
// listing, the comment limit and every kind of bad input.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "bridge_app.h"
#include "java_probe.h"
#include "launcher/config_load.h"
#include "manifest_class_path.h"
#include "support/little_endian.h"
#include "windows_images.h"

namespace oru::testing {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Configuration lines padded with a comment-like line to exactly `total` comment bytes.
std::vector<std::string> paddedTo(size_t total, std::vector<std::string> lines) {
    size_t used = 0;
    for (const std::string& line : lines) used += line.size() + 2;
    lines.push_back("padding " + std::string(total - used - 2 - 8, 'p'));
    return lines;
}

std::vector<std::string> packArguments(const std::string& output,
                                       const std::vector<std::string>& lines,
                                       const std::vector<std::string>& more) {
    std::vector<std::string> args = {"--launcher", launcherPath(), "--output", output,
                                     "--no-system-loader"};
    for (const std::string& line : lines) {
        args.push_back("--config");
        args.push_back(line);
    }
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// The test application's jars on disk: app.jar (main class in its manifest), a.jar, bb.jar.
struct Jars {
    explicit Jars(const ScratchDirectory& dir)
        : app(dir.write("in/app.jar", applicationJar("bridge.Probe"))),
          lib(dir.write("in/a.jar", libraryJar())),
          variant(dir.write("in/bb.jar", variantJar())) {}
    std::string app, lib, variant;
};

TEST(PackToolTest, OneCommandFromJarsToARunningExecutable) {
    ScratchDirectory dir;
    Jars jars(dir);
    std::string alone = dir.makeDirectory("alone");
    std::string exe = alone + "/app";
    std::vector<std::string> args = {"--launcher", launcherPath(),
                                     "--jar",      jars.app,
                                     "--lib",      jars.lib,
                                     "--lib",      jars.variant,
                                     "-o",         exe,
                                     "--minjre",   "11",
                                     "--option",   "-Xcheck:jni",
                                     "--property", "probe.mode=packed",
                                     "--config",   "jvmdll " + jdkLibrary()};
    for (const std::string& option : testVmOptions())
        args.insert(args.end(), {"--config", "option " + option});
    RunResult packed = runProgram(ORU_PACK_PATH, {args});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(packed.err,
              "oru-pack: warning: libs/a.jar and libs/bb.jar both hold 1 class; the "
              "application gets the copy in libs/a.jar\n");

    RunResult run = runProgram(exe, {{"classes"}, cleanEnvironment(), alone});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(reported(run.out, "InApp"), "t.jar by com.vostrand.oru.KestrunClassLoader");
    EXPECT_EQ(reported(run.out, "InLib"), "libs/a.jar by com.vostrand.oru.KestrunClassLoader");
    EXPECT_EQ(reported(run.out, "Twice"), "libs/a.jar");

    RunResult listed = runProgram(ORU_PACK_PATH, {{"--list", exe}});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    std::string head =
        "layout nested\n[configuration]\nmainclass bridge.Probe\nminjre 11\n"
        "option -Xcheck:jni\nproperty probe.mode=packed\njvmdll " +
        jdkLibrary() + "\n";
    for (const std::string& option : testVmOptions()) head += "option " + option + "\n";
    head += "systemloader true\n[entries]\n";
    EXPECT_EQ(listed.out.substr(0, head.size()), head);
    for (const std::string line :
         {"\tdeflated\t-\tcom/vostrand/oru/Handler$1.class\n", "\tstored\t10\tt.jar\n",
          "\tstored\t7\tlibs/a.jar\n", "\tstored\t1\tlibs/bb.jar\n"})
        EXPECT_NE(listed.out.find(line), std::string::npos) << line << listed.out;

    // A name with a NUL inside is no nested archive, to the listing as to the launcher.
    tools::ZipWriter inner, crafted;
    inner.add("in.txt", "x");
    crafted.add(std::string("a\0b.jar", 7), inner.finish(), tools::ZipMethod::kStored);
    crafted.add("c.jar", inner.finish(), tools::ZipMethod::kStored);
    listed = runProgram(ORU_PACK_PATH, {{"--list", dir.write("nul.zip", crafted.finish())}});
    EXPECT_NE(listed.out.find(std::string("\t-\ta\0b.jar\n", 11)), std::string::npos);
    EXPECT_NE(listed.out.find("\t1\tc.jar\n"), std::string::npos) << listed.out;
}

// The library jars of a listing, each as "<entries> <name>", in archive order.
std::vector<std::string> packedLibraries(const std::string& listing) {
    std::vector<std::string> libraries;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        const size_t name = line.rfind('\t'), count = line.rfind('\t', name - 1);
        if (name != std::string::npos && line.compare(name + 1, 5, "libs/") == 0)
            libraries.push_back(line.substr(count + 1, name - count - 1) + " " +
                                line.substr(name + 1));
    }
    return libraries;
}

// A library jar of 65,537 entries, which Python's zipfile writes with ZIP64 end records,
// packed with --lib as any jar: its last entries, the library's classes, are served.
TEST(PackToolTest, Zip64LibraryJarIsPackedAndServed) {
    ScratchDirectory dir;
    Jars jars(dir);
    const std::string big = dir.path() + "in/big.jar";
    const char* const script =
        "import sys, zipfile\n"
        "lib = zipfile.ZipFile(sys.argv[2])\n"
        "names = sorted(lib.namelist(), key=lambda n: n.endswith('.class'))\n"
        "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
        "    for i in range(65537 - len(names)):\n"
        "        z.writestr('fill/%05d.txt' % i, b'')\n"
        "    for n in names:\n"
        "        z.writestr(n, lib.read(n))\n";
    RunResult made = runProgram("/usr/bin/python3", {{"-c", script, big, jars.lib}});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const std::string exe = dir.makeDirectory("alone") + "/app";
    RunResult packed =
        runProgram(ORU_PACK_PATH, {packArguments(exe, withTestVmOptions({"jvmdll " + jdkLibrary()}),
                                                 {"--jar", jars.app, "--lib", big})});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    RunResult run = runProgram(exe, {{"classes"}, cleanEnvironment()});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(reported(run.out, "InLib"), "libs/a.jar by com.vostrand.oru.KestrunClassLoader");
    EXPECT_EQ(reported(run.out, "NoPackage"), "libs/a.jar");  // the jar's last entry
    RunResult listed = runProgram(ORU_PACK_PATH, {{"--list", exe}});
    EXPECT_NE(listed.out.find("\tstored\t65537\tlibs/big.jar\n"), std::string::npos) << listed.out;
}

// The application jar's Class-Path: a chain of two jars (app.jar names lib/a.jar, which
// names more/bb.jar), items that are skipped with a warning, --no-class-path, jars of
// one file name in different folders, and a jar whose names hold a "!".
TEST(PackToolTest, ClassPathJarsArePackedAsJavaLoadsThem) {
    ScratchDirectory dir;
    const std::string in = dir.path() + "in/";
    // Long enough to go on in a continuation line of the manifest.
    const std::string classPath =
        "lib/a.jar gone%20now.jar lib/ http://example.org/remote.jar lib/a.jar";
    // A signed jar's digest sections take the manifest past 1 MiB after its main section.
    std::string digests;
    for (int i = 0; digests.size() <= (1u << 20); ++i)
        digests += "Name: bridge/C" + std::to_string(i) +
                   ".class\r\nSHA-256-Digest: 47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=\r\n\r\n";
    const std::string lib = dir.write("in/lib/a.jar", libraryJar("../more/bb.jar ../app.jar"));
    const std::string variant = dir.write("in/more/bb.jar", variantJar());
    // A second a.jar: the variant's copy of Twice, whose origin() says "libs/bb.jar".
    const std::string namesake = dir.write("in/more/a.jar", variantJar());
    tools::ZipWriter bangs;
    for (const char* name : {"x/a!b.txt", "ok.txt", "c!.class"}) bangs.add(name, name);
    const std::string bang = dir.write("in/bang.jar", bangs.finish());
    const std::string bbFirst =
        "oru-pack: warning: libs/a.jar and libs/bb.jar both hold 1 class; "
        "the application gets the copy in libs/a.jar\n";
    const std::string named = "oru-pack: warning: the Class-Path of " + in + "app.jar names ";
    const std::string skipped =
        named + in + "gone now.jar, which does not exist; it is not packed\n" + named +
        "the folder " + in + "lib/; folders are not packed\n" + named +
        "http://example.org/remote.jar, which is not a file; it is not packed\n";
    // lib/a.jar (8 entries) and more/a.jar (1) both packed, the one java -jar meets first
    // as libs/a.jar: InLib loads from lib/a.jar, and Twice from more/a.jar, as under java.
    const std::vector<std::string> namesakes = {"1 libs/a.jar", "8 libs/a-2.jar", "1 libs/bb.jar"};
    const std::string namesakeWarnings =
        bbFirst +
        "oru-pack: warning: libs/a.jar and libs/a-2.jar both hold 1 class; the application "
        "gets the copy in libs/a.jar\n";
    const struct {
        std::vector<std::string> args;
        std::string warnings;
        std::vector<std::string> packed;  // each library jar: its entry count and name
        std::string twice;                // the copy of Twice the application gets
        const char* classPath = nullptr;  // app.jar's, when not the one above
        bool signedManifest = false;      // digest sections after the main section
    } cases[] = {
        {{}, skipped + bbFirst, {"8 libs/a.jar", "1 libs/bb.jar"}, "libs/a.jar"},
        // Main-Class and Class-Path read past 1 MiB of the manifest.
        {{}, skipped + bbFirst, {"8 libs/a.jar", "1 libs/bb.jar"}, "libs/a.jar", nullptr, true},
        {{"--no-class-path", "--lib", lib}, "", {"8 libs/a.jar"}, "libs/a.jar"},
        // The launcher searches the shorter name first, whatever the order given.
        {{"--no-class-path", "--lib", variant, "--lib", lib},
         bbFirst,
         {"1 libs/bb.jar", "8 libs/a.jar"},
         "libs/a.jar"},
        {{}, namesakeWarnings, namesakes, "libs/bb.jar", "more/a.jar lib/a.jar"},
        // A jar given keeps its name; the Class-Path's namesake is another file.
        {{"--lib", namesake}, skipped + namesakeWarnings, namesakes, "libs/bb.jar"},
        // The same file, given and named by the Class-Path, is packed once.
        {{"--lib", lib}, skipped + bbFirst, {"8 libs/a.jar", "1 libs/bb.jar"}, "libs/a.jar"},
        {{"--no-class-path", "--lib", lib, "--lib", bang},
         "oru-pack: warning: libs/bang.jar (" + bang +
             ") holds 2 entries with a \"!\" in their names (such as x/a!b.txt), which the "
             "application cannot reach: \"!\" separates a jar from its entries in oru: URLs\n",
         {"8 libs/a.jar", "3 libs/bang.jar"},
         "libs/a.jar"},
    };
    for (const auto& c : cases) {
        dir.write("in/app.jar",
                  applicationJar("bridge.Probe", c.classPath ? c.classPath : classPath,
                                 c.signedManifest ? digests : ""));
        const std::string exe = dir.path() + "app";
        std::vector<std::string> args = {
            "--launcher", launcherPath(),          "--jar", in + "app.jar", "-o", exe,
            "--config",   "jvmdll " + jdkLibrary()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        for (const std::string& option : testVmOptions())
            args.insert(args.end(), {"--config", "option " + option});
        RunResult packed = runProgram(ORU_PACK_PATH, {args});
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_EQ(packed.err, c.warnings);
        RunResult listed = runProgram(ORU_PACK_PATH, {{"--list", exe}});
        EXPECT_EQ(packedLibraries(listed.out), c.packed) << listed.out;
        RunResult run = runProgram(exe, {{"classes"}, cleanEnvironment()});
        EXPECT_EQ(reported(run.out, "InLib"), "libs/a.jar by com.vostrand.oru.KestrunClassLoader")
            << run.err;
        EXPECT_EQ(reported(run.out, "Twice"), c.twice);
    }
    // A Class-Path item is a URL relative to its jar's folder.
    const struct {
        const char* item;
        const char* file;  // null: not a file URL, ignored as java ignores it
    } urls[] = {
        {"a.jar", "/j/a.jar"},
        {"../x/./b%20c.jar", "/x/b c.jar"},
        {"/usr/c.jar", "/usr/c.jar"},
        {"file:/usr/d.jar", "/usr/d.jar"},
        {"file:///usr/e.jar", "/usr/e.jar"},
        {"FILE://localhost/f.jar", "/f.jar"},
        {"lib/g:h.jar", "/j/lib/g:h.jar"},
        {"http://host/i.jar", nullptr},
        {"file://host/j.jar", nullptr},
        {"C:/k.jar", nullptr},
    };
    for (const auto& u : urls) {
        std::string file;
        EXPECT_EQ(tools::classPathFile("/j", u.item, file), u.file != nullptr) << u.item;
        if (u.file) {
            EXPECT_EQ(file, u.file) << u.item;
        }
    }
}

TEST(PackToolTest, ConsoleTwinExitsAsJavaDoes) {
    ScratchDirectory dir;
    const std::string exe = dir.path() + "/tool";
    for (const auto& [mainClass, code] : {std::pair<const char*, int>{"probe.Thrower", 1},
                                          {"probe.Exiter", 7},
                                          {"probe.LateThread", 0}}) {
        RunResult packed = runProgram(
            ORU_PACK_PATH, {packArguments(exe, probeConfiguration(mainClass), {"--console"})});
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_EQ(runProgram(exe, {{}, cleanEnvironment()}).exitCode, code) << mainClass;
    }
}

TEST(PackToolTest, BadInputsFailWithOneLineAndNoOutput) {
    ScratchDirectory dir;
    Jars jars(dir);
    std::string text = dir.write("in/notes.txt", "not a zip");
    std::string sameName = dir.write("in/other/a.jar", libraryJar());
    std::string noManifest = dir.write("in/plain.jar", libraryJar());
    std::string refused = dir.write("in/refused.jar", applicationJar("a.B", "", "no section\r\n"));
    std::string out = dir.path() + "out";
    // Inputs that are no regular files, or too large (sparse files), or break the archive.
    const std::string fifo = dir.path() + "in/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.write("in/huge", ""), bigIcon = dir.write("in/big.ico", "");
    fs::resize_file(huge, uint64_t(1) << 32);
    fs::resize_file(bigIcon, (16u << 20) + 1);
    const std::string bang = dir.write("in/a!b.jar", libraryJar());
    const std::string nul = dir.write("in/nul.jar", applicationJar(std::string("a.B\0c", 5)));
    const std::string launcher = dir.write("in/launcher", "");
    fs::copy_file(launcherPath(), launcher, fs::copy_options::overwrite_existing);
    const std::string notLauncher =
        " is not an oru launcher (an executable without the "
        "launcher's natives and message tables)";
    const std::string notRegular = ": not a regular file";
    const struct {
        std::vector<std::string> args;
        std::string error;
        std::vector<std::string> head = {};  // replaces --launcher LAUNCHER -o OUT
    } cases[] = {
        {{"--jar", dir.path() + "missing.jar"}, "cannot read " + dir.path() + "missing.jar"},
        {{"--jar", dir.path() + "in"}, "cannot read " + dir.path() + "in: not a regular file"},
        {{"--jar", text}, text + " is not a jar (no ZIP archive in it)"},
        {{"--jar", jars.app, "--lib", text}, text + " is not a jar (no ZIP archive in it)"},
        {{"--jar", jars.app, "--lib", jars.lib, "--lib", sameName},
         "two library jars are named a.jar; rename one"},
        {{"--jar", noManifest},
         "no main class: " + noManifest + " has no Main-Class in its manifest; give --main-class"},
        {{"--jar", refused, "--main-class", "a.B"},
         "java refuses the manifest of " + refused + ": invalid manifest format (line 4)"},
        {{"--jar", jars.app, "--main-class", "x.Y", "--config", "MainClass=z.W"},
         "--main-class and --config \"MainClass=z.W\" both set mainclass"},
        {{"--jar", jars.app, "--minjre", "11", "--config", " minjre 17"},
         "--minjre and --config \" minjre 17\" both set minjre"},
        {{"--jar", jars.app, "--config", "x " + std::string(2100, 'y')},
         "the configuration takes 2147 bytes; the launcher reads at most 2048"},
        {{"--jar", jars.app, "data=" + dir.path() + "nope"}, "cannot read " + dir.path() + "nope"},
        {{"--jar", jars.app, "--splash", text},
         text + " is not a BMP picture: it does not start with a BMP header"},
        {{"--jar", jars.app, "--version-info", "FileVersion=1.0"},
         "--splash, --icon and --version-info need a Windows launcher (not a Windows executable)"},
        {{"--jar", fifo}, "cannot read " + fifo + notRegular},
        {{"--jar", jars.app, "--lib", fifo}, "cannot read " + fifo + notRegular},
        {{"--jar", jars.app, "data=" + fifo}, "cannot read " + fifo + notRegular},
        {{"--jar", jars.app, "--splash", fifo}, "cannot read " + fifo + notRegular},
        {{"--jar", jars.app, "--icon", fifo}, "cannot read " + fifo + notRegular},
        {{"--jar", jars.app},
         "the launcher: cannot read " + fifo + notRegular,
         {"--launcher", fifo, "-o", out}},
        {{}, "cannot read " + fifo + notRegular, {"--list", fifo}},
        {{"--jar", "/dev/zero"}, "cannot read /dev/zero" + notRegular},
        {{"--jar", jars.app, "data=/dev/zero"}, "cannot read /dev/zero" + notRegular},
        {{"--jar", jars.app, "data=" + huge}, huge + " is larger than 4294967295 bytes"},
        {{"--jar", jars.app, "--icon", bigIcon}, bigIcon + " is larger than 16777216 bytes"},
        {{"--jar", jars.app, std::string(65536, 'n') + "=" + text},
         "the entry name " + std::string(60, 'n') +
             "... takes 65536 bytes; a ZIP record holds at most 65535"},
        {{"--jar", jars.app, "t.jar=" + text}, "the archive would hold two entries named t.jar"},
        {{"--jar", jars.app, "d=" + text, "d=" + jars.lib},
         "the archive would hold two entries named d"},
        {{"--jar", jars.app, "libs\\a.jar=" + text, "--lib", jars.lib},
         "the archive would hold two entries named libs\\a.jar"},
        {{"--jar", jars.app, "com/vostrand/oru/Handler.class=" + text},
         "the entry name com/vostrand/oru/Handler.class is under com/vostrand/oru/, which holds "
         "the launcher's own classes"},
        {{"--jar", jars.app, "--lib", bang},
         "the library name a!b.jar holds a \"!\", which separates a jar from its entries in oru: "
         "URLs"},
        {{"--jar", jars.app, "x!y=" + text},
         "the entry name x!y holds a \"!\", which separates a jar from its entries in oru: URLs"},
        {{"--jar", jars.app, "=" + text}, "NAME=FILE needs a name: \"=" + text + "\""},
        {{"--jar", nul},
         "a configuration line may not hold a control character (0x00): \"mainclass a.B\\x00c\""},
        {{"--jar", jars.app, "--option", "-Dx=a\tb"},
         "a configuration line may not hold a control character (0x09): \"option -Dx=a\\x09b\""},
        {{"--jar", jars.app},
         text + " is not an oru launcher (not an ELF or PE executable)",
         {"--launcher", text, "-o", out}},
        {{"--jar", jars.app},
         "/usr/bin/true" + notLauncher,
         {"--launcher", "/usr/bin/true", "-o", out}},
        {{"--jar", jars.app},
         ORU_PACK_PATH + notLauncher,
         {"--launcher", ORU_PACK_PATH, "-o", out}},
        {{"--jar", jars.app},
         jars.app + " and " + jars.app + " are the same file",
         {"--launcher", launcher, "-o", jars.app}},
        {{"--jar", jars.app},
         launcher + " and " + launcher + " are the same file",
         {"--launcher", launcher, "-o", launcher}},
        {{"--jar", jars.app, "--lib", jars.lib},
         jars.lib + " and " + jars.lib + " are the same file",
         {"--launcher", launcher, "-o", jars.lib}},
        {{"--jar", jars.app},
         "the output /dev/full is not a regular file",
         {"--launcher", launcher, "-o", "/dev/full"}},
    };
    const auto sizes = [&] {
        std::vector<uintmax_t> all;
        for (const std::string& input : {jars.app, jars.lib, launcher})
            all.push_back(fs::file_size(input));
        return all;
    };
    const std::vector<uintmax_t> before = sizes();
    for (const auto& c : cases) {
        std::vector<std::string> args = c.head;
        if (args.empty()) args = {"--launcher", launcherPath(), "-o", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult result = runProgram(ORU_PACK_PATH, {args});
        EXPECT_EQ(result.exitCode, 1) << c.error;
        EXPECT_EQ(result.err, "oru-pack: " + c.error + "\n");
        EXPECT_FALSE(fs::exists(out)) << c.error;
    }
    EXPECT_EQ(sizes(), before) << "no input was written";
    // 65,536 entries (the five classes, t.jar and 65,530 files): one more than the
    // directory's count holds. Too many arguments for one shell line: xargs passes them.
    std::string pack;
    for (const std::string& word : emulated(ORU_PACK_PATH)) pack += "'" + word + "' ";
    RunResult many = runProgram(
        "/bin/sh",
        {{"-c", "seq 1 65530 | sed 's|.*|e&=in/notes.txt|' | xargs -x -s 1500000 " + pack +
                    "--launcher '" + launcherPath() + "' --jar in/app.jar -o out"},
         {},
         dir.path()});
    EXPECT_EQ(many.err,
              "oru-pack: the archive would hold 65536 entries; without ZIP64 records it "
              "holds at most 65535\n");
    EXPECT_FALSE(fs::exists(out));
    for (const auto& file : fs::recursive_directory_iterator(dir.path()))
        EXPECT_EQ(file.path().string().find(".oru-pack-"), std::string::npos) << file.path();
    RunResult toDirectory =
        runProgram(ORU_PACK_PATH,
                   {{"--launcher", launcherPath(), "--jar", jars.app, "-o", dir.path() + "in"}});
    EXPECT_EQ(toDirectory.err, "oru-pack: the output " + dir.path() + "in is a directory\n");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--jar"},
                                               {"--frobnicate"},
                                               {"--jar", "a", "--jar", "b"},
                                               {"-o", "a", "--output", "b"},
                                               {"--launcher", "a", "--launcher", "b"},
                                               {"--main-class", "a", "--main-class", "b"},
                                               {"--splash", "a", "--splash", "b"},
                                               {"--icon", "a", "--icon", "b"},
                                               {"--target", "a", "--target", "b"},
                                               {"--layout", "sideways"},
                                               {"--jar", jars.app}}) {
        RunResult usage = runProgram(ORU_PACK_PATH, {args});
        EXPECT_EQ(usage.exitCode, 2) << args[0];
        EXPECT_NE(usage.err.find("see oru-pack --help"), std::string::npos) << usage.err;
    }
    EXPECT_FALSE(fs::exists(out));
    RunResult help = runProgram(ORU_PACK_PATH, {{"--help"}});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"--launcher",    "--jar",     "--lib",          "--output",           "--main-class",
          "--minjre",      "--option",  "--property",     "--config",           "--list",
          "--splash",      "--icon",    "--version-info", "--no-class-path",    "--target",
          "--runtime-dir", "--version", "--console",      "--no-system-loader", "--layout",
          "--aot-cache"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

// The output appears whole or not at all, through a temporary file of its own: a link
// or a directory where an older oru-pack put its temporary file stays untouched, a link
// as the output is replaced (not its target), and a run that fails writing or is
// stopped leaves nothing behind.
TEST(PackToolTest, TheOutputAppearsWholeOrNotAtAll) {
    ScratchDirectory dir;
    Jars jars(dir);
    const std::string victim = dir.write("victim", "untouched");
    const std::string out = dir.path() + "out";
    fs::create_symlink(victim, out + ".oru-pack-partial");
    fs::create_directory(out + ".oru-pack-partial-dir");
    const std::string link = dir.path() + "link";
    fs::create_symlink(victim, link);
    for (const std::string& output : {out, link}) {
        RunResult packed = runProgram(
            ORU_PACK_PATH, {{"--launcher", launcherPath(), "--jar", jars.app, "-o", output}});
        EXPECT_EQ(packed.exitCode, 0) << packed.err;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(output))) << output;
    }
    EXPECT_EQ(fs::file_size(victim), 9u) << "the link's target is never written";
    EXPECT_TRUE(fs::is_symlink(out + ".oru-pack-partial"));
    EXPECT_TRUE(fs::is_directory(out + ".oru-pack-partial-dir"));

    // A member large enough to be written for a while: the run is stopped once its
    // temporary file exists. The file size limit fails the write at its first blocks.
    const std::string zeros = dir.write("zeros", "");
    fs::resize_file(zeros, 64u << 20);
    // A one-bit picture of 8,000 x 8,000 (244 MiB once decoded) in a file of 250 MiB.
    std::string header(62, '\0');
    const uint32_t fields[][2] = {{2, 250u << 20}, {10, 62}, {14, 40}, {18, 8000}, {22, 8000}};
    for (const auto& field : fields)
        for (int byte = 0; byte < 4; ++byte)
            header[field[0] + byte] = static_cast<char>(field[1] >> (8 * byte));
    header.replace(0, 2, "BM");
    header[26] = 1;  // planes
    header[28] = 1;  // bits per pixel
    const std::string picture = dir.write("picture.bmp", header);
    fs::resize_file(picture, 250u << 20);
    std::string pack;
    for (const std::string& word : emulated(ORU_PACK_PATH)) pack += "'" + word + "' ";
    pack += "--launcher '" + launcherPath() + "' --jar '" + jars.app + "' ";
    // Each run writes an output of its own: a file that one leaves behind misleads no other.
    const auto packTo = [&](const std::string& name) {
        return pack + "z='" + zeros + "' -o '" + dir.path() + "stopped-" + name + "'";
    };
    struct Case {
        std::string label;
        std::string script;
        std::string status, err;  // err: what oru-pack says (the shell names a signal)
    };
    std::vector<Case> cases = {
        {"file size limit", "ulimit -f 64; " + packTo("limit") + "; echo $?", "1\n",
         "oru-pack: cannot write " + dir.path() + "stopped-limit: File too large\n"},
        // The picture is read whole: past the address space limit, the allocation throws.
        {"out of memory",
         "ulimit -v 200000; " + pack + "--splash '" + picture + "' -o '" + dir.path() +
             "stopped'; echo $?",
         "1\n", "oru-pack: out of memory\n"},
    };
    // Every catchable signal whose default action ends the process, sent once the
    // temporary file exists: the file goes, and the signal still ends the process (the
    // shell's status 128 + N). env gives back the default actions that a shell's
    // background job starts without (SIGINT, SIGQUIT); at the lowest priority, oru-pack
    // leaves the shell that watches for its file the processor it needs.
    for (int signal :
         {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,
          SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU,
          SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS,  SIGRTMIN,  SIGRTMAX}) {
        // A sanitizer keeps its own fault handlers, and an emulator maps the real-time
        // signals onto others.
        const bool fault = signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE;
        if ((kSanitized && fault) || (*ORU_TEST_EMULATOR && signal >= SIGRTMIN)) continue;
        const std::string number = std::to_string(signal);
        cases.push_back({"signal " + number,
                         "ulimit -c 0; env --default-signal nice -n 19 " + packTo(number) +
                             " 2>/dev/null & i=0; while ! ls '" + dir.path() + "stopped-" + number +
                             "'.oru-pack-* >/dev/null 2>&1 && [ $i -lt 6000 ]; do sleep 0.01; "
                             "i=$((i+1)); done; kill -" +
                             number + " $!; wait $!; echo $?",
                         std::to_string(128 + signal) + "\n", ""});
    }
    for (const auto& c : cases) {
        // An emulator reserves the guest's address space, and the address sanitizer its
        // shadow memory: neither starts under ulimit -v.
        if ((*ORU_TEST_EMULATOR || kSanitized) && c.label == "out of memory") continue;
        RunResult run = runProgram("/bin/sh", {{"-c", c.script}});
        EXPECT_EQ(run.out, c.status) << c.label;
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err) << c.label;
        }
        std::vector<fs::path> left;
        for (const auto& file : fs::directory_iterator(dir.path()))
            if (file.path().filename().string().rfind("stopped", 0) == 0) left.push_back(file);
        for (const fs::path& file : left) {
            ADD_FAILURE() << c.label << " left " << file;
            fs::remove(file);
        }
    }
}

// The first bytes of a packed executable: the launcher it was packed into.
std::string headOf(const std::string& path, size_t size) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(size, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(size));
    return bytes.substr(0, static_cast<size_t>(in.gcount()));
}

// A stand-in for the installed launcher of `target`: oru-pack takes it for a launcher
// (an executable with the natives' class name and a message in UTF-16), and its first
// bytes name the target.
std::string fakeLauncher(const std::string& target) {
    const bool windows = target.rfind("windows", 0) == 0;
    std::string image = (windows ? "MZ "
                                 : "\x7f"
                                   "ELF ") +
                        target + " launcher";
    image.resize(64, ' ');
    if (windows) image.replace(0x3C, 4, std::string("\x40\0\0\0PE\0\0", 8));
    image += "com/vostrand/oru/KestrunClassLoader";
    for (char c : std::string("Java Runtime Environment not found.")) image += {c, '\0'};
    return image;
}

std::string installedPack(const ScratchDirectory& dir, const std::string& bin,
                          const std::string& launchers) {
    dir.makeDirectory(bin);
    fs::copy_file(ORU_PACK_PATH, dir.path() + bin + "/oru-pack");
    fs::permissions(dir.path() + bin + "/oru-pack", fs::perms::owner_all);
    for (const char* target : {"windows-x86.exe", "windows-x64.exe", "linux-x64"})
        dir.write(launchers + "/oru-launcher-" + target, fakeLauncher(target));
    return dir.path() + bin + "/oru-pack";
}

TEST(PackToolTest, InstalledLaunchersByTargetOrOutputNameAndLibraryFolders) {
    ScratchDirectory dir;
    Jars jars(dir);
    dir.write("in/libs/b.jar", libraryJar());
    dir.write("in/libs/a.JAR", variantJar());
    dir.write("in/libs/notes.txt", "not a jar");
    dir.makeDirectory("in/libs/c.jar");
    dir.makeDirectory("in/empty");
    dir.write("in/nojars/readme", "no jars here");
    // The install layout (bin/ and lib/oru/) and the Windows zip's (all in one folder).
    const std::string installed = installedPack(dir, "usr/bin", "usr/lib/oru");
    const std::string flat = installedPack(dir, "zip", "zip");
    const std::string out = dir.path() + "out";
    const std::string x86 = fakeLauncher("windows-x86.exe"), x64 = fakeLauncher("windows-x64.exe"),
                      linux64 = fakeLauncher("linux-x64");
    const struct {
        std::vector<std::string> args;
        std::string launcher;  // the launcher chosen, or
        std::string error;     // the one line printed
    } cases[] = {
        {{"-o", out + ".exe"}, x86, ""},
        {{"-o", out + ".EXE"}, x86, ""},
        {{"-o", out},
         sizeof(void*) == 8 ? linux64 : "",
         sizeof(void*) == 8
             ? ""
             : "no launcher is made for this machine (linux-x86); give --launcher FILE"},
        {{"--target", "windows-x64", "-o", out}, x64, ""},
        {{"--target", "windows-x86", "-o", out}, x86, ""},
        {{"--target", "linux-x64", "-o", out + ".exe"}, linux64, ""},
        // A launcher named outright wins over the target's.
        {{"--target", "windows-x64", "--launcher",
          dir.path() + "usr/lib/oru/oru-launcher-linux-x64", "-o", out},
         linux64,
         ""},
        {{"--target", "win32", "-o", out},
         "",
         "unknown target win32 (known: windows-x86, windows-x64, linux-x64)"},
        {{"--lib", dir.path() + "in/empty", "-o", out + ".exe"},
         "",
         "the folder " + dir.path() + "in/empty holds no .jar"},
        {{"--lib", dir.path() + "in/nojars", "-o", out + ".exe"},
         "",
         "the folder " + dir.path() + "in/nojars holds no .jar"},
        {{"--runtime-dir", "jre", "--config", "jvmdll x", "-o", out + ".exe"},
         "",
         "--runtime-dir and --config \"jvmdll x\" both choose the runtime"},
        {{"--runtime-dir", "jre", "--config", "jre_order se", "-o", out + ".exe"},
         "",
         "--runtime-dir and --config \"jre_order se\" both choose the runtime"},
    };
    for (const std::string& pack : {installed, flat}) {
        for (const auto& c : cases) {
            std::vector<std::string> args = {"--jar", jars.app};
            args.insert(args.end(), c.args.begin(), c.args.end());
            RunResult result = runProgram(pack, {args});
            const std::string written = c.args.back();
            if (c.error.empty()) {
                EXPECT_EQ(result.exitCode, 0) << c.args[1] << result.err;
                EXPECT_EQ(headOf(written, c.launcher.size()), c.launcher) << c.args[1];
            } else {
                EXPECT_EQ(result.exitCode, 1) << c.error;
                EXPECT_EQ(result.err, "oru-pack: " + c.error + "\n");
                EXPECT_FALSE(fs::exists(written)) << c.error;
            }
            fs::remove(written);
        }
    }
    // Without an installation beside it, oru-pack says where it looked.
    RunResult none = runProgram(ORU_PACK_PATH, {{"--jar", jars.app, "-o", out + ".exe"}});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("oru-pack: no launcher for windows-x86 is installed ("),
              std::string::npos)
        << none.err;

    // A folder's jars in name order, its other files and folders left out; a runtime
    // folder in the layout of each system.
    const struct {
        std::string target, runtimeLine;
    } runtimes[] = {{"windows-x64", "jvmdll jre\\bin\\server\\jvm.dll"},
                    {"linux-x64", "jvmdll jre/lib/server/libjvm.so"}};
    for (const auto& runtime : runtimes) {
        RunResult packed = runProgram(
            installed,
            {{"--target", runtime.target, "--jar", jars.app, "--lib", dir.path() + "in/libs",
              "--lib", jars.lib, "--runtime-dir", "jre", "--config", "jre_order ce", "-o", out}});
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        RunResult listed = runProgram(ORU_PACK_PATH, {{"--list", out}});
        EXPECT_NE(listed.out.find("\n" + runtime.runtimeLine + "\n"), std::string::npos)
            << listed.out;
        const size_t upper = listed.out.find("\tlibs/a.JAR\n"),
                     b = listed.out.find("\tlibs/b.jar\n"), a = listed.out.find("\tlibs/a.jar\n");
        EXPECT_TRUE(upper < b && b < a && a != std::string::npos) << listed.out;
        for (const char* absent : {"notes.txt", "c.jar"})
            EXPECT_EQ(listed.out.find(absent), std::string::npos) << absent;
    }
    RunResult version = runProgram(ORU_PACK_PATH, {{"--version"}});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("oru-pack ", 0), 0u) << version.out;
}

TEST(PackToolTest, Comment2048BytesIsTheLimit) {
    ScratchDirectory dir;
    std::string file = dir.write("data.txt", "payload");
    std::string fits = dir.path() + "fits";
    std::vector<std::string> lines =
        paddedTo(2048, withTestVmOptions(probeConfiguration("probe.Report")));
    RunResult packed =
        runProgram(ORU_PACK_PATH, {packArguments(fits, lines, {"data.txt=" + file})});
    ASSERT_EQ(packed.exitCode, 0) << packed.err;
    EXPECT_EQ(readArchiveComment(fits.c_str()).length(), 2048);
    RunResult run = runProgram(fits, {{"x"}, cleanEnvironment()});
    EXPECT_EQ(reported(run.out, "arg0"), "x") << "the whole comment is read: " << run.err;

    std::string tooLong = dir.path() + "too-long";
    RunResult refused = runProgram(
        ORU_PACK_PATH,
        {packArguments(tooLong, paddedTo(2049, probeConfiguration("probe.Report")), {})});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "oru-pack: the configuration takes 2049 bytes; the launcher reads at most 2048\n");
    EXPECT_FALSE(fs::exists(tooLong)) << "nothing is written";
}

// The bytes oru-pack writes, fixed: digests recorded before the code that writes them was
// reorganised. Inputs are made here byte for byte (stand-in launchers of both formats,
// jars in a Class-Path chain, a picture, an icon, version strings), so that the digests
// change only when oru-pack's output does.
TEST(PackToolTest, OutputBytesStayTheSame) {
    ScratchDirectory dir;
    tools::ZipWriter app, lib;
    app.add("META-INF/MANIFEST.MF",
            "Manifest-Version: 1.0\r\nMain-Class: a.Main\r\n"
            "Class-Path: lib/b.jar\r\n");
    app.add("a/Main.class", std::string(300, 'm'));
    app.add("a/Grüße.txt", "hello", tools::ZipMethod::kStored);
    lib.add("b/B.class", std::string(200, 'b'));
    dir.write("in/app.jar", app.finish());
    dir.write("in/lib/b.jar", lib.finish());
    dir.write("in/data.txt", std::string(1000, 'd'));
    dir.write("in/elf-launcher", fakeLauncher("linux-x64"));
    std::string pe = smallPeImage(false);
    std::string parts = fakeLauncher("windows-x64.exe").substr(64);
    pe.replace(0x410, parts.size(), parts);
    dir.write("in/pe-launcher", pe);
    dir.write("in/splash.bmp", bmpFile(8, 4, 24));
    dir.write("in/app.ico", icoFile({bmpFile(16, 32, 32).substr(14)}));
    const std::vector<std::string> common = {"--jar",    "in/app.jar", "--option",
                                             "-Xmx64m",  "--property", "p=1",
                                             "--minjre", "11",         "conf/data.txt=in/data.txt"};
    struct Case {
        const char* launcher;
        std::vector<std::string> more;
        const char* digest;
    } cases[] = {
        {"in/elf-launcher",
         {"--console"},
         "6b9ed778cf465f7a8008b5948561c6de3473b791019761aa99c06e21559097c1"},
        {"in/pe-launcher",
         {"--splash", "in/splash.bmp", "--icon", "in/app.ico", "--version-info",
          "FileVersion=1.2.3.4", "--version-info", "ProductName=Äpp", "--console"},
         "3dc1a6d7e62f5683348d52150aca1c20efdf6f4867362af7a242d71ef4b924f5"},
        {"in/elf-launcher",
         {"--layout", "root"},
         "a56ef91d0b3b6e234ab0fd274f55f923adb17cae0b7e69cd14bdc3641b9bb74c"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--launcher", c.launcher, "-o", "out"};
        args.insert(args.end(), common.begin(), common.end());
        args.insert(args.end(), c.more.begin(), c.more.end());
        RunResult packed = runProgram(ORU_PACK_PATH, {args, {}, dir.path()});
        ASSERT_EQ(packed.exitCode, 0) << packed.err;
        RunResult digest = runProgram("/usr/bin/sha256sum", {{"out"}, {}, dir.path()});
        EXPECT_EQ(digest.out.substr(0, 64), c.digest) << c.launcher;
    }
}

}  // namespace
}  // namespace oru::testing
