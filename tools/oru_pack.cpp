// oru-pack: makes one executable of a launcher, an application jar and its library jars.
#include <cstdlib>
#include <iostream>
#include <string>

#include "listing.h"
#include "pack_application.h"

namespace {

const char kHelp[] =
    "usage: oru-pack --launcher FILE --jar APP.jar [--lib LIB.jar]... -o OUTPUT\n"
    "                [--main-class NAME] [--minjre N.N] [--option OPT]...\n"
    "                [--property NAME=VALUE]... [--config \"KEY VALUE\"]... [NAME=FILE]...\n"
    "                [--splash PICTURE.bmp] [--icon APP.ico] [--version-info KEY=VALUE]...\n"
    "       oru-pack --list EXECUTABLE\n"
    "\n"
    "Makes one executable that runs a Java application: the launcher, followed by an\n"
    "archive that holds the launcher's Java-side classes, the application jar and the\n"
    "library jars, with the configuration in the archive comment.\n"
    "\n"
    "  --launcher FILE        the prebuilt launcher (oru-launcher, oru-launcher.exe)\n"
    "  --jar APP.jar          the application jar, packed as t.jar\n"
    "  --lib LIB.jar          a library jar, packed as libs/LIB.jar (repeatable; the\n"
    "                         file names must differ)\n"
    "  -o, --output FILE      the executable to write (replaced only once complete)\n"
    "  --main-class NAME      the main class (default: Main-Class of the jar's manifest)\n"
    "  --minjre N.N           the lowest Java version that may run the application\n"
    "  --option OPT           a virtual-machine option, such as -Xmx512m (repeatable)\n"
    "  --property NAME=VALUE  a system property (repeatable)\n"
    "  --no-system-loader     leaves the packed classes out of the system class loader\n"
    "                         (by default it serves them, as under java -jar)\n"
    "  --config \"KEY VALUE\"   any configuration line, as stored (repeatable): forcecwd,\n"
    "                         jre_order, jvmdll, classpath, libs, ...\n"
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
    "  --list EXECUTABLE      prints what a packed executable carries: its configuration\n"
    "                         lines, then one line per entry: size, method, the number\n"
    "                         of entries of a nested jar (or -), name, separated by tabs\n"
    "  -h, --help             this text\n"
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

// Fills `request` from the command line; returns 0, or the exit code of a usage error.
int parseArguments(int argc, char** argv, oru::tools::PackRequest& request, std::string& list) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kHelp;
            std::exit(0);
        }
        if (arg == "--no-system-loader") {
            request.systemLoader = false;
            continue;
        }
        const bool takesValue = arg.rfind("-", 0) == 0;
        if (takesValue && i + 1 >= argc) return usageError(arg + " needs a value");
        if (arg == "--launcher") {
            request.launcherPath = argv[++i];
        } else if (arg == "-o" || arg == "--output") {
            request.outputPath = argv[++i];
        } else if (arg == "--jar") {
            request.applicationJar = argv[++i];
        } else if (arg == "--lib") {
            request.libraries.push_back(argv[++i]);
        } else if (arg == "--main-class") {
            request.mainClass = argv[++i];
        } else if (arg == "--minjre") {
            request.minimumJava = argv[++i];
        } else if (arg == "--option") {
            request.options.push_back(argv[++i]);
        } else if (arg == "--property") {
            request.properties.push_back(argv[++i]);
        } else if (arg == "--config") {
            request.configuration.push_back(argv[++i]);
        } else if (arg == "--splash") {
            request.resources.splashPath = argv[++i];
        } else if (arg == "--icon") {
            request.resources.iconPath = argv[++i];
        } else if (arg == "--version-info") {
            request.resources.versionInfo.push_back(argv[++i]);
        } else if (arg == "--list") {
            list = argv[++i];
        } else if (!takesValue && arg.find('=') != std::string::npos) {
            const size_t eq = arg.find('=');
            request.files.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
        } else {
            return usageError("unknown argument " + arg);
        }
    }
    if (!list.empty()) return 0;
    if (request.launcherPath.empty()) return usageError("no --launcher given");
    if (request.outputPath.empty()) return usageError("no -o/--output given");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    oru::tools::PackRequest request;
    std::string list;
    if (int status = parseArguments(argc, argv, request, list)) return status;
    std::string error;
    const bool done = list.empty() ? oru::tools::packApplication(request, error)
                                   : oru::tools::listExecutable(list, std::cout, error);
    if (!done) {
        std::cerr << "oru-pack: " << error << "\n";
        return 1;
    }
    return 0;
}
