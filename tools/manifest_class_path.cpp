// Following "Class-Path": relative URLs resolved to files, each jar once, depth first.
#include "manifest_class_path.h"

#include <cctype>
#include <filesystem>

#include "jar_reader.h"

namespace oru::tools {

namespace fs = std::filesystem;

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%XX" escapes decoded; a "%" without two hex digits after it stays as it is.
std::string percentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The scheme of a URL ("file", "http"), or "" for a relative one: letters, digits, "+",
// "-" and "." before the first ":", which must come before any "/".
std::string schemeOf(const std::string& url) {
    const size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(url[0])))
        return "";
    for (size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return "";
    }
    std::string scheme = url.substr(0, colon);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

// The items of a "Class-Path" value, separated by blanks as `java` separates them.
std::vector<std::string> classPathItems(const std::string& value) {
    std::vector<std::string> items;
    size_t pos = 0;
    while ((pos = value.find_first_not_of(" \t\r\n\f", pos)) != std::string::npos) {
        const size_t end = value.find_first_of(" \t\r\n\f", pos);
        items.push_back(value.substr(pos, end - pos));
        pos = end;
    }
    return items;
}

// Whether the file at `path` is a jar, and its manifest's Class-Path ("" without one, or
// when java refuses the manifest: `problem` then says why).
bool readClassPath(const std::string& path, std::string& classPath, std::string& problem) {
    std::string error;
    JarReader jar;
    if (!jar.openFile(path, error)) return false;
    JarManifest manifest;
    const bool present = jar.readManifest(manifest);
    problem = present ? manifestProblem(manifest, path) : "";
    classPath = present && problem.empty() ? mainAttribute(manifest, "Class-Path") : "";
    return true;
}

// Depth-first walk; `visited` holds the canonical paths of the jars followed already.
void follow(const std::string& jarPath, const std::string& classPath,
            std::set<std::string>& visited, std::set<std::string>& packed,
            std::vector<std::string>& found, std::vector<std::string>& warnings) {
    const std::string folder = fs::path(jarPath).parent_path().string();
    for (const std::string& item : classPathItems(classPath)) {
        const std::string named = "the Class-Path of " + jarPath + " names ";
        std::string file;
        if (!classPathFile(folder, item, file)) {
            warnings.push_back(named + item + ", which is not a file; it is not packed");
            continue;
        }
        std::error_code failure;
        const fs::file_status status = fs::status(file, failure);
        if (fs::is_directory(status)) {
            warnings.push_back(named + "the folder " + file + "; folders are not packed");
            continue;
        }
        if (!fs::exists(status)) {
            warnings.push_back(named + file + ", which does not exist; it is not packed");
            continue;
        }
        const std::string canonical = canonicalPath(file);
        if (!visited.insert(canonical).second) continue;
        std::string itsClassPath, problem;
        if (!readClassPath(file, itsClassPath, problem)) {
            warnings.push_back(named + file + ", which is not a jar; it is not packed");
            continue;
        }
        if (!problem.empty()) warnings.push_back(problem + "; its Class-Path is not followed");
        if (packed.insert(canonical).second) found.push_back(file);
        follow(file, itsClassPath, visited, packed, found, warnings);
    }
}

}  // namespace

bool classPathFile(const std::string& jarFolder, const std::string& item, std::string& file) {
    std::string path = item;
    const std::string scheme = schemeOf(item);
    if (scheme == "file") {
        path = item.substr(5);
        // "file://host/x": only an empty host (or localhost) names this machine's files.
        if (path.rfind("//", 0) == 0) {
            const size_t slash = path.find('/', 2);
            const std::string host = path.substr(2, slash == std::string::npos ? slash : slash - 2);
            if (!host.empty() && host != "localhost") return false;
            path = slash == std::string::npos ? "/" : path.substr(slash);
        }
    } else if (!scheme.empty()) {
        return false;
    }
    path = percentDecoded(path.substr(0, path.find_first_of("?#")));
    // "/C:/lib/x.jar" is a drive path written as a URL path, where paths have drives.
    if (path.size() >= 3 && path[0] == '/' && path[2] == ':' &&
        fs::path(path.substr(1)).has_root_name())
        path.erase(0, 1);
    const fs::path resolved = fs::path(path).has_root_directory() || fs::path(path).is_absolute()
                                  ? fs::path(path)
                                  : fs::path(jarFolder) / path;
    file = resolved.lexically_normal().string();
    return true;
}

std::vector<std::string> followClassPath(const std::string& jarPath, std::set<std::string>& packed,
                                         std::vector<std::string>& warnings) {
    std::set<std::string> visited = {canonicalPath(jarPath)};
    std::vector<std::string> found;
    std::string classPath, problem;
    // An application jar that cannot be read brings nothing; packing it says why.
    if (readClassPath(jarPath, classPath, problem))
        follow(jarPath, classPath, visited, packed, found, warnings);
    return found;
}

std::string canonicalPath(const std::string& path) {
    std::error_code failure;
    const fs::path canonical = fs::canonical(path, failure);
    return failure ? "" : canonical.string();
}

}  // namespace oru::tools
