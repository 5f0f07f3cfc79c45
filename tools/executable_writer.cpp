// Writing a packed executable: the launcher, the archive and its configuration comment.
#include "executable_writer.h"

#include <filesystem>

#include "input_file.h"
#include "launcher_check.h"
#include "platform/replacement_file.h"

#include "pe_finish.h"
#include "support/little_endian.h"

namespace oru::tools {

namespace fs = std::filesystem;

namespace {

// The output file under its temporary name; each failure tells the system's reason.
class OutputSink : public ByteSink {
public:
    OutputSink(platform::ReplacementFile& file, const std::string& path)
        : file_(file), path_(path) {}
    bool write(const char* bytes, size_t count, std::string& error) override {
        if (file_.write(bytes, count)) return true;
        error = "cannot write " + path_ + ": " + file_.failure();
        return false;
    }

private:
    platform::ReplacementFile& file_;
    const std::string& path_;
};

// Writes the launcher, the padding and the archive through a new file beside `path`,
// renamed over it only once complete; removed on any failure.
bool writeOutput(const std::string& path, const std::string& launcher, size_t padding,
                 const ZipWriter& writer, const std::string& comment, std::string& error) {
    platform::ReplacementFile file;
    if (!file.create(path.c_str())) {
        error = "cannot write " + path + ": " + file.failure();
        return false;
    }
    OutputSink out(file, path);
    if (!out.write(launcher.data(), launcher.size(), error) ||
        !out.write(std::string(padding, '\0').data(), padding, error) ||
        !writer.write(out, comment, error))
        return false;  // the file goes with `file`
    if (!file.commit()) {
        error = "cannot write " + path + ": " + file.failure();
        return false;
    }
    return true;
}

// A Windows launcher's checksum covers the whole output, archive included: one pass over
// the bytes that will be written, the archive's files read through the same bounded
// buffer as when written, before the launcher's header goes out first.
bool writeChecksum(std::string& launcher, size_t padding, const ZipWriter& writer,
                   const std::string& comment, std::string& error) {
    size_t field = 0;
    if (!peChecksumField(launcher, field)) return true;
    set32(launcher, field, 0);
    PeChecksum sum;
    if (!sum.write(launcher.data(), launcher.size(), error) ||
        !sum.write(std::string(padding, '\0').data(), padding, error) ||
        !writer.write(sum, comment, error))
        return false;
    set32(launcher, field, sum.value());
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
                     std::string& error, const ResourceRequest& resources, bool console) {
    std::string comment = configurationComment(configuration);
    if (comment.size() > kMaxConfigurationBytes) {
        error = "the configuration takes " + std::to_string(comment.size()) +
                " bytes; the launcher reads at most " + std::to_string(kMaxConfigurationBytes);
        return false;
    }
    // The output is replaced by renaming: a device or a FIFO there would be replaced too.
    std::error_code ignored;
    const fs::file_status output = fs::symlink_status(outputPath, ignored);
    if (fs::is_directory(outputPath, ignored)) {
        error = "the output " + outputPath + " is a directory";
        return false;
    }
    if (fs::exists(output) && !fs::is_regular_file(output) && !fs::is_symlink(output)) {
        error = "the output " + outputPath + " is not a regular file";
        return false;
    }
    std::string launcher;
    if (!readInputFile(launcherPath, kLargestLauncher, launcher, error)) {
        error = "the launcher: " + error;
        return false;
    }
    if (!checkLauncher(launcherPath, launcher, error) ||
        !addLauncherResources(launcher, resources, error) || !writer.fits(comment, error))
        return false;
    if (console) makeConsoleProgram(launcher);
    // A length that is a multiple of 8 lets a signing tool append its certificate table
    // without padding: the zeros go between the launcher and the archive, which readers
    // skip as they skip the launcher itself.
    const uint64_t archive = writer.archiveSize(comment);
    const size_t padding = static_cast<size_t>((8 - (launcher.size() + archive) % 8) % 8);
    const uint64_t total = launcher.size() + padding + archive;
    if (total > kLargestArchive) {
        error = "the executable would take " + std::to_string(total) +
                " bytes; the launcher reads at most " + std::to_string(kLargestArchive);
        return false;
    }
    if (!writeChecksum(launcher, padding, writer, comment, error)) return false;
    return writeOutput(outputPath, launcher, padding, writer, comment, error);
}

}  // namespace oru::tools
