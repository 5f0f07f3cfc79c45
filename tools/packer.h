// Packing: a launcher binary followed by a ZIP archive whose comment holds the configuration.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "zip_writer.h"

namespace oru::tools {

// The largest archive comment the launcher reads.
constexpr size_t kMaxConfigurationBytes = 2048;

// The configuration lines as the archive comment: each line followed by CR LF.
std::string configurationComment(const std::vector<std::string>& lines);

struct PackRequest {
    std::string launcherPath;
    // (name inside the archive, file on disk), in archive order.
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> configuration;
};

// Writes the launcher followed by the archive to `outputPath` and makes it executable.
// Returns false with a message in `error` when an input cannot be read, the comment is
// longer than the launcher reads, or the output cannot be written.
bool packExecutable(const PackRequest& request, const std::string& outputPath, std::string& error);

// The same, with the archive already built in `writer`.
bool writeExecutable(const std::string& launcherPath, const ZipWriter& writer,
                     const std::vector<std::string>& configuration, const std::string& outputPath,
                     std::string& error);

}  // namespace oru::tools
