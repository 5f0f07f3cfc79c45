// Writing a packed executable: the launcher, the archive and its configuration comment.
#include "packer.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pe_finish.h"

namespace oru::tools {

namespace fs = std::filesystem;

namespace {

// Writes `bytes` to `path` through a temporary file beside it, renamed at the end.
bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string temporary = path + ".oru-pack-partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << bytes;
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            error = "cannot write " + path;
            return false;
        }
    }
    std::error_code failure;
    fs::permissions(temporary,
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add, failure);
    fs::rename(temporary, path, failure);
    if (failure) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        error = "cannot write " + path + ": " + failure.message();
        return false;
    }
    return true;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes) {
    std::error_code ignored;
    std::ifstream in(path, std::ios::binary);
    if (!in || fs::is_directory(path, ignored)) return false;
    std::ostringstream content;
    content << in.rdbuf();
    bytes = content.str();
    return static_cast<bool>(in) || in.eof();
}

bool readInputFile(const std::string& path, std::string& bytes, std::string& error) {
    if (readWholeFile(path, bytes)) return true;
    error = "cannot read " + path;
    return false;
}

std::string configurationComment(const std::vector<std::string>& lines) {
    std::string comment;
    for (const std::string& line : lines) comment += line + "\r\n";
    return comment;
}

bool writeExecutable(const std::string& launcherPath, const ZipWriter& writer,
                     const std::vector<std::string>& configuration, const std::string& outputPath,
                     std::string& error, const ResourceRequest& resources, bool console) {
    std::string comment = configurationComment(configuration);
    if (comment.size() > kMaxConfigurationBytes) {
        error = "the configuration takes " + std::to_string(comment.size()) +
                " bytes; the launcher reads at most " + std::to_string(kMaxConfigurationBytes);
        return false;
    }
    std::error_code ignored;
    if (fs::is_directory(outputPath, ignored)) {
        error = "the output " + outputPath + " is a directory";
        return false;
    }
    std::string launcher;
    if (!readWholeFile(launcherPath, launcher)) {
        error = "cannot read the launcher " + launcherPath;
        return false;
    }
    if (!addLauncherResources(launcher, resources, error)) return false;
    if (console) makeConsoleProgram(launcher);
    // A length that is a multiple of 8 lets a signing tool append its certificate table
    // without padding: the zeros go between the launcher and the archive, which readers
    // skip as they skip the launcher itself.
    const std::string archive = writer.finish(comment);
    const size_t padding = (8 - (launcher.size() + archive.size()) % 8) % 8;
    std::string file = launcher + std::string(padding, '\0') + archive;
    writePeChecksum(file);
    return replaceFile(outputPath, file, error);
}

}  // namespace oru::tools
