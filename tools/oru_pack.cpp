// oru-pack: makes one executable of a launcher, an application jar and its library jars.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "launcher_choice.h"
#include "library_folder.h"
#include "listing.h"
#include "pack_application.h"

namespace {

const char kHelp[] =
    "usage: oru-pack [--target NAME | --launcher FILE] --jar APP.jar [--lib LIB.jar|DIR]...\n"
    "                -o OUTPUT [--runtime-dir NAME]\n"
    "                [--main-class NAME] [--minjre N.N] [--option OPT]...\n"
    "                [--property NAME=VALUE]... [--config \"KEY VALUE\"]... [NAME=FILE]...\n"
    "                [--splash PICTURE.bmp] [--icon APP.ico] [--version-info KEY=VALUE]...\n"
    "                [--console] [--no-class-path] [--layout root|nested]\n"
    "                [--aot-cache]\n"
    "       oru-pack --list EXECUTABLE\n"
    "       oru-pack --version\n"
    "\n"
    "Makes one executable that runs a Java application: the launcher, followed by an\n"
    "archive that holds the launcher's Java-side classes, the application jar and the\n"
    "library jars, with the configuration in the archive comment.\n"
    "\n"
    "  --target NAME          the installed launcher for windows-x86, windows-x64 or\n"
    "                         linux-x64 (default: windows-x86 for an OUTPUT named\n"
    "                         *.exe, else this machine's)\n"
    "  --launcher FILE        a launcher of its own (oru-launcher, oru-launcher.exe)\n"
    "  --jar APP.jar          the application jar, packed as t.jar\n"
    "  --lib LIB.jar          a library jar, packed as libs/LIB.jar (repeatable; the\n"
    "                         file names must differ)\n"
    "  --lib DIR              every .jar directly in DIR, in name order\n"
    "  --no-class-path        packs only the jars given; without it, the jars that the\n"
    "                         Class-Path of the application jar's manifest names (and\n"
    "                         theirs in turn) are packed as libraries too, as java -jar\n"
    "                         loads them, and one that does not exist is skipped with a\n"
    "                         warning; one whose file name is taken is packed as\n"
    "                         libs/NAME-2.jar (-3, ...)\n"
    "  --layout nested       the default: the application jar and the libraries packed\n"
    "                         whole (t.jar, libs/), read by the launcher's class loader\n"
    "  --layout root         their entries merged at the archive's root, in class path\n"
    "                         order (the application jar first), so that java's own\n"
    "                         class loader defines the classes, and its class-data\n"
    "                         sharing archives can hold them; a resource that two jars\n"
    "                         hold with different contents is refused\n"
    "  -o, --output FILE      the executable to write (replaced only once complete)\n"
    "  --main-class NAME      the main class (default: Main-Class of the jar's manifest)\n"
    "  --minjre N.N           the lowest Java version that may run the application\n"
    "  --option OPT           a virtual-machine option, such as -Xmx512m (repeatable)\n"
    "  --property NAME=VALUE  a system property (repeatable)\n"
    "  --no-system-loader     leaves the packed classes out of the system class loader\n"
    "                         (by default it serves them, as under java -jar)\n"
    "  --aot-cache            keeps a class-data archive of the application per runtime\n"
    "                         in the user's cache folder (Java 13 and later), made by\n"
    "                         the first run and used by the next ones: faster starts\n"
    "  --config \"KEY VALUE\"   any configuration line, as stored (repeatable): forcecwd,\n"
    "                         jre_order, jvmdll, classpath, libs, ...\n"
    "  --runtime-dir NAME     runs on the Java runtime in the folder NAME beside the\n"
    "                         executable (made with jlink --output), before any other\n"
    "  NAME=FILE              FILE packed as the archive entry NAME\n"
    "  --splash PICTURE.bmp   Windows: shows the BMP picture, centred, while the\n"
    "                         application starts (bitmap resource 100); a key press,\n"
    "                         the application or the launcher closes it\n"
    "  --icon APP.ico         Windows: the executable's icon, as Explorer shows it\n"
    "  --version-info KEY=VALUE\n"
    "                         Windows: a version resource string (repeatable): keys\n"
    "                         FileDescription, ProductName, CompanyName, FileVersion,\n"
    "                         ProductVersion, LegalCopyright, Comments, InternalName,\n"
    "                         OriginalFilename, ...; FileVersion and ProductVersion\n"
    "                         (1.2.3.4) also fill the numeric version Explorer shows\n"
    "  --console              a console program: failures on standard error, exit codes\n"
    "                         as java's (1 when the launch fails or main throws, else\n"
    "                         System.exit's code); on Windows the console subsystem\n"
    "  --list EXECUTABLE      prints what a packed executable carries: its layout (layout\n"
    "                         root or layout nested), its configuration lines, then one\n"
    "                         line per entry: size, method, the number\n"
    "                         of entries of a nested jar (or -), name, separated by tabs\n"
    "  --version              prints oru-pack's version\n"
    "  -h, --help             this text\n"
    "\n"
    "Where packed jars hold classes of the same name, a warning names the jar whose copies\n"
    "the application gets: the launcher searches t.jar first, then the other jars shorter\n"
    "names first, whatever the order of --lib. Entries of packed jars with a \"!\" in\n"
    "their names cannot be reached (\"!\" separates a jar from its entries in oru: URLs):\n"
    "a warning names each jar that holds any.\n"
    "\n"
    "The configuration lines take at most 2,048 bytes in all. A file named like the\n"
    "executable with .cfg beside it adds lines that take precedence (except mainclass).\n"
    "\n"
    "Signing: a Windows executable made by oru-pack can be signed as it is, and keeps\n"
    "working: the launcher reads its archive up to the certificate table.\n"
    "  osslsigncode sign -certs cert.pem -key key.pem -in app.exe -out app-signed.exe\n"
    "  signtool sign /fd SHA256 /f cert.pfx app.exe\n";

int usageError(const std::string& message) {
    std::cerr << "oru-pack: " << message << " (see oru-pack --help)\n";
    return 2;
}

// Options that name one thing: a second one would silently replace the first.
int setOnce(std::string& field, const std::string& option, const char* value) {
    if (!field.empty()) return usageError(option + " given twice");
    field = value;
    return field.empty() ? usageError(option + " needs a value") : 0;
}

// Fills `request` from the command line; returns 0, or the exit code of a usage error.
int parseArguments(int argc, char** argv, oru::tools::PackRequest& request, std::string& list,
                   std::string& target, std::string& layout) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kHelp;
            std::exit(0);
        }
        if (arg == "--no-class-path") {
            request.followClassPath = false;
            continue;
        }
        if (arg == "--console") {
            request.console = true;
            continue;
        }
        if (arg == "--version") {
            std::cout << "oru-pack " ORU_VERSION "\n";
            std::exit(0);
        }
        if (arg == "--aot-cache") {
            request.aotCache = true;
            continue;
        }
        if (arg == "--no-system-loader") {
            request.systemLoader = false;
            continue;
        }
        const bool takesValue = arg.rfind("-", 0) == 0;
        if (takesValue && i + 1 >= argc) return usageError(arg + " needs a value");
        if (arg == "--launcher") {
            if (int status = setOnce(request.launcherPath, arg, argv[++i])) return status;
        } else if (arg == "--target") {
            if (int status = setOnce(target, arg, argv[++i])) return status;
        } else if (arg == "--runtime-dir") {
            if (int status = setOnce(request.runtimeDirectory, arg, argv[++i])) return status;
        } else if (arg == "-o" || arg == "--output") {
            if (int status = setOnce(request.outputPath, "-o/--output", argv[++i])) return status;
        } else if (arg == "--jar") {
            if (int status = setOnce(request.applicationJar, arg, argv[++i])) return status;
        } else if (arg == "--lib") {
            request.libraries.push_back(argv[++i]);
        } else if (arg == "--main-class") {
            if (int status = setOnce(request.mainClass, arg, argv[++i])) return status;
        } else if (arg == "--minjre") {
            if (int status = setOnce(request.minimumJava, arg, argv[++i])) return status;
        } else if (arg == "--option") {
            request.options.push_back(argv[++i]);
        } else if (arg == "--property") {
            request.properties.push_back(argv[++i]);
        } else if (arg == "--config") {
            request.configuration.push_back(argv[++i]);
        } else if (arg == "--splash") {
            if (int status = setOnce(request.resources.splashPath, arg, argv[++i])) return status;
        } else if (arg == "--icon") {
            if (int status = setOnce(request.resources.iconPath, arg, argv[++i])) return status;
        } else if (arg == "--version-info") {
            request.resources.versionInfo.push_back(argv[++i]);
        } else if (arg == "--layout") {
            if (int status = setOnce(layout, arg, argv[++i])) return status;
            if (layout != "root" && layout != "nested")
                return usageError("--layout takes root or nested, not " + layout);
            request.rootLayout = layout == "root";
        } else if (arg == "--list") {
            if (int status = setOnce(list, arg, argv[++i])) return status;
        } else if (!takesValue && arg.find('=') != std::string::npos) {
            const size_t eq = arg.find('=');
            request.files.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
        } else {
            return usageError("unknown argument " + arg);
        }
    }
    if (!list.empty()) return 0;
    if (request.outputPath.empty()) return usageError("no -o/--output given");
    return 0;
}

// Chooses the installed launcher when none is named, puts each library folder's jars in
// its place, and packs.
bool pack(oru::tools::PackRequest& request, const std::string& target, std::string& error,
          std::vector<std::string>& warnings) {
    if (request.launcherPath.empty() &&
        !oru::tools::chooseLauncher(target, request.outputPath, request.launcherPath, error))
        return false;
    return oru::tools::expandLibraryFolders(request.libraries, error) &&
           oru::tools::packApplication(request, error, &warnings);
}

int run(int argc, char** argv) {
    oru::tools::PackRequest request;
    std::string list;
    std::string target;
    std::string layout;
    if (int status = parseArguments(argc, argv, request, list, target, layout)) return status;
    std::string error;
    std::vector<std::string> warnings;
    bool done = list.empty() ? pack(request, target, error, warnings)
                             : oru::tools::listExecutable(list, std::cout, error);
    if (done && !list.empty() && !(std::cout << std::flush)) {
        done = false;
        error = "cannot write the listing to standard output";
    }
    // A failure is one line: what would have been packed no longer matters.
    if (!done) {
        std::cerr << "oru-pack: " << error << "\n";
        return 1;
    }
    for (const std::string& warning : warnings)
        std::cerr << "oru-pack: warning: " << warning << "\n";
    return 0;
}

}  // namespace

// What the work throws (an allocation or the deflate stream failing) ends as every
// other failure: one line and a non-zero exit, the partial output removed on the way.
int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "oru-pack: out of memory\n";
    } catch (const std::exception& failure) {
        std::cerr << "oru-pack: " << failure.what() << "\n";
    } catch (...) {
        std::cerr << "oru-pack: an unexpected failure\n";
    }
    return 1;
}
