// Packing an application: checks the inputs, lays out the archive, writes the executable.
#include "pack_application.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "embedded_files.h"
#include "jar_reader.h"
#include "packer.h"

namespace oru::tools {

namespace fs = std::filesystem;

namespace {

// Reads a jar and checks that it is a ZIP archive; with `mainClass`, also reads the
// manifest's main class.
bool readJar(const std::string& path, std::string& bytes, std::string* mainClass,
             std::string& error) {
    if (!readInputFile(path, bytes, error)) return false;
    JarReader jar;
    if (!jar.open(bytes)) {
        error = path + " is not a jar (no ZIP archive in it)";
        return false;
    }
    std::string manifest;
    if (mainClass && jar.read("META-INF/MANIFEST.MF", manifest))
        *mainClass = manifestMainClass(manifest);
    return true;
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
    for (const std::string& property : request.properties)
        lines.push_back("property " + property);
    lines.insert(lines.end(), request.configuration.begin(), request.configuration.end());
    if (request.systemLoader &&
        std::none_of(request.configuration.begin(), request.configuration.end(),
                     [](const std::string& line) { return lineHasKey(line, "systemloader"); }))
        lines.push_back("systemloader true");
    return lines;
}

bool checkLines(const std::vector<std::string>& lines, std::string& error) {
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos) {
            error = "a configuration line may not hold a line break: \"" + line + "\"";
            return false;
        }
    }
    return true;
}

bool addLibraries(const PackRequest& request, ZipWriter& archive, std::string& error) {
    std::set<std::string> names;
    for (const std::string& path : request.libraries) {
        const std::string name = fs::path(path).filename().string();
        if (!names.insert(name).second) {
            error = "two library jars are named " + name + "; rename one";
            return false;
        }
        std::string bytes;
        if (!readJar(path, bytes, nullptr, error)) return false;
        // Stored: a jar's entries are compressed already, and the launcher reads a
        // stored jar without inflating it first.
        archive.add("libs/" + name, bytes, ZipMethod::kStored);
    }
    return true;
}

}  // namespace

bool lineHasKey(const std::string& line, const std::string& key) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || line.size() - start < key.size()) return false;
    for (size_t i = 0; i < key.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[start + i])) != key[i]) return false;
    return true;
}

bool packApplication(const PackRequest& request, std::string& error) {
    if (!request.mainClass.empty() &&
        !checkNotConfigured(request, "mainclass", "--main-class", error))
        return false;
    if (!request.minimumJava.empty() &&
        !checkNotConfigured(request, "minjre", "--minjre", error))
        return false;

    ZipWriter archive;
    for (int i = 0; i < kJavaSideClassCount; ++i) {
        const EmbeddedFile& file = kJavaSideClasses[i];
        archive.add(file.name, std::string(reinterpret_cast<const char*>(file.bytes), file.size));
    }
    std::string mainClass = request.mainClass;
    std::string manifestClass;
    if (!request.applicationJar.empty()) {
        std::string bytes;
        if (!readJar(request.applicationJar, bytes, &manifestClass, error)) return false;
        archive.add("t.jar", bytes, ZipMethod::kStored);
    }
    if (!addLibraries(request, archive, error)) return false;
    for (const auto& [name, path] : request.files) {
        std::string bytes;
        if (!readInputFile(path, bytes, error)) return false;
        archive.add(name, bytes);
    }
    if (mainClass.empty() && !configuredMainClass(request)) mainClass = manifestClass;
    if (mainClass.empty() && !configuredMainClass(request)) {
        error = request.applicationJar.empty()
                    ? "no main class: give --main-class"
                    : "no main class: " + request.applicationJar +
                          " has no Main-Class in its manifest; give --main-class";
        return false;
    }
    const std::vector<std::string> lines = configurationLines(request, mainClass);
    if (!checkLines(lines, error)) return false;
    return writeExecutable(request.launcherPath, archive, lines, request.outputPath, error,
                           request.resources);
}

}  // namespace oru::tools
