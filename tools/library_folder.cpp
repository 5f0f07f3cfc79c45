// --lib with a folder: the jars directly in it, in name order.
#include "library_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace oru::tools {

namespace fs = std::filesystem;

namespace {

bool isJarName(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".jar";
}

bool jarsInFolder(const std::string& directory, std::vector<std::string>& jars,
                  std::string& error) {
    std::vector<std::string> found;
    std::error_code failure;
    for (fs::directory_iterator it(directory, failure), end; !failure && it != end;
         it.increment(failure)) {
        const fs::path& path = it->path();
        std::error_code ignored;
        if (isJarName(path) && it->is_regular_file(ignored)) found.push_back(path.string());
    }
    if (failure) {
        error = "cannot read the folder " + directory;
        return false;
    }
    if (found.empty()) {
        error = "the folder " + directory + " holds no .jar";
        return false;
    }
    std::sort(found.begin(), found.end());
    jars.insert(jars.end(), found.begin(), found.end());
    return true;
}

}  // namespace

bool expandLibraryFolders(std::vector<std::string>& libraries, std::string& error) {
    std::vector<std::string> expanded;
    for (const std::string& library : libraries) {
        std::error_code ignored;
        if (!fs::is_directory(library, ignored)) {
            expanded.push_back(library);
        } else if (!jarsInFolder(library, expanded, error)) {
            return false;
        }
    }
    libraries.swap(expanded);
    return true;
}

}  // namespace oru::tools
