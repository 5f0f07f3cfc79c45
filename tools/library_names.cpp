// Library entry names: the file name where it is free, a numbered one for a later namesake.
#include "library_names.h"

#include <filesystem>

#include "support/archive_names.h"

namespace oru::tools {

namespace fs = std::filesystem;

namespace {

// "libs/b-2.jar" for "in/x/b.jar" and 2: the number goes before an archive extension,
// which keeps the name one that the launcher opens as a nested archive.
std::string numberedName(const std::string& path, unsigned number) {
    const std::string file = fs::path(path).filename().string();
    const size_t stem =
        hasArchiveExtension(file.data(), file.size()) ? file.size() - 4 : file.size();
    return "libs/" + file.substr(0, stem) + "-" + std::to_string(number) + file.substr(stem);
}

}  // namespace

std::string libraryEntryName(const std::string& path) {
    return "libs/" + fs::path(path).filename().string();
}

std::vector<std::string> libraryEntryNames(const std::vector<std::string>& paths, size_t given,
                                           const std::set<std::string>& taken) {
    std::set<std::string> used = taken;
    std::vector<std::string> names;
    std::vector<size_t> namesakes;
    // Every jar whose own name is free keeps it before any namesake is numbered, so that
    // a jar named "b-2.jar" is never renamed for a namesake of "b.jar".
    for (size_t i = 0; i < paths.size(); ++i) {
        names.push_back(libraryEntryName(paths[i]));
        if (!used.insert(names.back()).second && i >= given) namesakes.push_back(i);
    }
    for (size_t i : namesakes) {
        unsigned number = 2;
        while (used.count(numberedName(paths[i], number)) != 0) ++number;
        names[i] = numberedName(paths[i], number);
        used.insert(names[i]);
    }
    return names;
}

}  // namespace oru::tools
