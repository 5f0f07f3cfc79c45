// Packing a launcher and an application into one executable.
#include "packer.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace oru::tools {

namespace {

bool readFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    bytes = content.str();
    return true;
}

}  // namespace

std::string configurationComment(const std::vector<std::string>& lines) {
    std::string comment;
    for (const std::string& line : lines) comment += line + "\r\n";
    return comment;
}

bool writeExecutable(const std::string& launcherPath, const ZipWriter& writer,
                     const std::vector<std::string>& configuration, const std::string& outputPath,
                     std::string& error) {
    std::string comment = configurationComment(configuration);
    if (comment.size() > kMaxConfigurationBytes) {
        error = "the configuration takes " + std::to_string(comment.size()) +
                " bytes; the launcher reads at most " + std::to_string(kMaxConfigurationBytes);
        return false;
    }
    std::string launcher;
    if (!readFile(launcherPath, launcher)) {
        error = "cannot read the launcher " + launcherPath;
        return false;
    }
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    out << launcher << writer.finish(comment);
    out.close();
    if (!out) {
        error = "cannot write " + outputPath;
        return false;
    }
    std::error_code ignored;
    namespace fs = std::filesystem;
    fs::permissions(outputPath,
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, ignored);
    return true;
}

bool packExecutable(const PackRequest& request, const std::string& outputPath, std::string& error) {
    ZipWriter writer;
    for (const auto& [name, path] : request.files) {
        std::string bytes;
        if (!readFile(path, bytes)) {
            error = "cannot read " + path;
            return false;
        }
        writer.add(name, bytes);
    }
    return writeExecutable(request.launcherPath, writer, request.configuration, outputPath, error);
}

}  // namespace oru::tools
