// Packing an application: checks the inputs, lays out the archive, writes the executable.
#include "pack_application.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "bundled_runtime.h"
#include "duplicate_classes.h"
#include "embedded_files.h"
#include "executable_writer.h"
#include "input_file.h"
#include "jar_reader.h"
#include "library_names.h"
#include "manifest_class_path.h"
#include "request_checks.h"
#include "root_layout.h"
#include "support/config_key.h"
#include "unreachable_entries.h"

namespace oru::tools {

namespace {

// Checks that the jar at `path` is a ZIP archive; with `mainClass`, also reads the
// manifest's main class, refusing a manifest that java refuses (java would load no class
// of the jar).
bool checkJar(const std::string& path, std::string* mainClass, std::string& error) {
    JarReader jar;
    if (!jar.openFile(path, error)) {
        if (error.empty()) error = path + " is not a jar (no ZIP archive in it)";
        return false;
    }
    JarManifest manifest;
    if (mainClass && jar.readManifest(manifest)) {
        error = manifestProblem(manifest, path);
        if (!error.empty()) return false;
        *mainClass = mainAttribute(manifest, "Main-Class");
    }
    return true;
}

// Adds the jar at `path` as the stored entry `name`, checked as checkJar does. Stored: a
// jar's entries are compressed already, and the launcher reads a stored jar without
// inflating it first.
bool addJar(const std::string& path, const std::string& name, std::string* mainClass,
            ZipWriter& archive, std::string& error) {
    return checkJar(path, mainClass, error) &&
           archive.addFile(name, path, ZipMethod::kStored, error);
}

// A dedicated option and a --config line must not both set `key`.
bool checkNotConfigured(const PackRequest& request, const std::string& key,
                        const std::string& option, std::string& error) {
    for (const std::string& line : request.configuration) {
        if (lineHasKey(line, key)) {
            error = option + " and --config \"" + line + "\" both set " + key;
            return false;
        }
    }
    return true;
}

bool configuredMainClass(const PackRequest& request) {
    return std::any_of(request.configuration.begin(), request.configuration.end(),
                       [](const std::string& line) { return lineHasKey(line, "mainclass"); });
}

std::vector<std::string> configurationLines(const PackRequest& request,
                                            const std::string& mainClass) {
    std::vector<std::string> lines;
    if (!mainClass.empty()) lines.push_back("mainclass " + mainClass);
    if (!request.minimumJava.empty()) lines.push_back("minjre " + request.minimumJava);
    for (const std::string& option : request.options) lines.push_back("option " + option);
    for (const std::string& property : request.properties) lines.push_back("property " + property);
    lines.insert(lines.end(), request.configuration.begin(), request.configuration.end());
    if (request.console) lines.push_back("console 1");
    if (request.aotCache) lines.push_back("aotcache true");
    if (request.systemLoader &&
        std::none_of(request.configuration.begin(), request.configuration.end(),
                     [](const std::string& line) { return lineHasKey(line, "systemloader"); }))
        lines.push_back("systemloader true");
    return lines;
}

// The runtime folder's "jvmdll" line, in the layout of the launcher's system.
bool addRuntimeDirectory(const PackRequest& request, std::vector<std::string>& lines,
                         std::string& error) {
    if (request.runtimeDirectory.empty()) return true;
    std::string launcher;
    if (!readInputStart(request.launcherPath, kLargestLauncher, 2, launcher, error)) return false;
    const bool windows = launcher.compare(0, 2, "MZ") == 0;
    return addBundledRuntime(request.runtimeDirectory, windows, request.configuration, lines,
                             error);
}

// The launcher reads its configuration as text: a NUL would end it there, and a line
// break or another control character would split or garble a value.
bool checkLines(const std::vector<std::string>& lines, std::string& error) {
    for (const std::string& line : lines) {
        const auto control = std::find_if(line.begin(), line.end(), isControlCharacter);
        if (control != line.end()) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(*control));
            error = std::string("a configuration line may not hold a control character (") + code +
                    "): \"" + printable(line) + "\"";
            return false;
        }
    }
    return true;
}

bool addLibraries(const PackRequest& request, const std::vector<std::string>& names,
                  ZipWriter& archive, std::string& error) {
    for (size_t i = 0; i < request.libraries.size(); ++i)
        if (!addJar(request.libraries[i], names[i], nullptr, archive, error)) return false;
    return true;
}

// The library jars' entry names: those given keep their file names, and a Class-Path jar
// whose file name another library or a NAME=FILE entry has is numbered.
std::vector<std::string> libraryNames(const PackRequest& request, size_t given) {
    std::set<std::string> files;
    for (const auto& file : request.files) {
        std::string name = file.first;
        std::replace(name.begin(), name.end(), '\\', '/');
        files.insert(name);
    }
    return libraryEntryNames(request.libraries, given, files);
}

// The request with the jars that the application jar's Class-Path brings along, and
// that are not packed already, appended to its libraries: from here on they are
// checked and packed as if given with --lib, under names of their own (libraryNames).
PackRequest withClassPathLibraries(const PackRequest& given, std::vector<std::string>& warnings) {
    PackRequest request = given;
    if (request.applicationJar.empty() || !request.followClassPath) return request;
    std::set<std::string> packed = {canonicalPath(request.applicationJar)};
    for (const std::string& path : request.libraries) packed.insert(canonicalPath(path));
    for (std::string& path : followClassPath(request.applicationJar, packed, warnings))
        request.libraries.push_back(std::move(path));
    return request;
}

// The application jar and the libraries, nested whole or merged at the root (with a
// warning for each pair of jars holding classes of the same name).
bool addApplication(const PackRequest& request, const std::vector<std::string>& names,
                    std::string& manifestClass, ZipWriter& archive, std::vector<std::string>& notes,
                    std::string& error) {
    if (request.rootLayout) {
        std::vector<std::string> jars = request.libraries;
        const bool withApplication = !request.applicationJar.empty();
        if (withApplication) jars.insert(jars.begin(), request.applicationJar);
        return (!withApplication || checkJar(request.applicationJar, &manifestClass, error)) &&
               addRootLayout(jars, withApplication, archive, notes, error);
    }
    if (!request.applicationJar.empty() &&
        !addJar(request.applicationJar, "t.jar", &manifestClass, archive, error))
        return false;
    return addLibraries(request, names, archive, error);
}

// The NAME=FILE entries; at the root of a merged layout, a name a jar holds is refused.
bool addFiles(const PackRequest& request, ZipWriter& archive, std::string& error) {
    std::set<std::string> taken;
    for (const ZipWriter::Entry& entry : archive.entries()) taken.insert(entry.name);
    for (const auto& [name, path] : request.files) {
        std::string slashed = name;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        if (taken.count(slashed)) {
            error = name + "=" + path + ": a packed jar holds the entry " + slashed + " already";
            return false;
        }
        if (!archive.addFile(name, path, ZipMethod::kDeflated, error)) return false;
    }
    return true;
}

}  // namespace

bool packApplication(const PackRequest& given, std::string& error,
                     std::vector<std::string>* warnings) {
    std::vector<std::string> ignored;
    std::vector<std::string>& notes = warnings ? *warnings : ignored;
    const PackRequest request = withClassPathLibraries(given, notes);
    if (!request.mainClass.empty() &&
        !checkNotConfigured(request, "mainclass", "--main-class", error))
        return false;
    if (!request.minimumJava.empty() && !checkNotConfigured(request, "minjre", "--minjre", error))
        return false;
    const std::vector<std::string> names = libraryNames(request, given.libraries.size());
    if (!checkEntryNames(request, names, error) || !checkOutputIsNoInput(request, error) ||
        !checkLines(configurationLines(request, request.mainClass), error))
        return false;

    ZipWriter archive;
    for (int i = 0; i < kJavaSideClassCount; ++i) {
        const EmbeddedFile& file = kJavaSideClasses[i];
        archive.add(file.name, std::string(reinterpret_cast<const char*>(file.bytes), file.size));
    }
    std::string mainClass = request.mainClass;
    std::string manifestClass;
    if (!addApplication(request, names, manifestClass, archive, notes, error) ||
        !addFiles(request, archive, error))
        return false;
    if (!request.rootLayout) {
        for (std::string& line : unreachableEntryWarnings(archive))
            notes.push_back(std::move(line));
        for (std::string& line : duplicateClassWarnings(archive)) notes.push_back(std::move(line));
    }
    if (mainClass.empty() && !configuredMainClass(request)) mainClass = manifestClass;
    if (mainClass.empty() && !configuredMainClass(request)) {
        error = request.applicationJar.empty()
                    ? "no main class: give --main-class"
                    : "no main class: " + request.applicationJar +
                          " has no Main-Class in its manifest; give --main-class";
        return false;
    }
    std::vector<std::string> lines = configurationLines(request, mainClass);
    if (!addRuntimeDirectory(request, lines, error)) return false;
    if (!checkLines(lines, error)) return false;
    return writeExecutable(request.launcherPath, archive, lines, request.outputPath, error,
                           request.resources, request.console);
}

}  // namespace oru::tools
