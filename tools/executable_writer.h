// The packed executable: a launcher binary followed by a ZIP archive holding the configuration.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "launcher/config_comment.h"
#include "launcher_resources.h"
#include "zip_writer.h"

namespace oru::tools {

// The configuration lines as the archive comment: each line followed by CR LF.
std::string configurationComment(const std::vector<std::string>& lines);

// Writes the launcher, with `resources` added to it, followed by `writer`'s archive (with
// the configuration as its comment) to `outputPath` and makes it executable. The file is
// written under a new unique name beside it and renamed at the end, so a failure (or an
// interruption) never leaves a partial output. With `console`, a Windows launcher becomes
// a console program. A Windows executable's checksum is computed over the whole output.
// Returns false with a one-line message in
// `error`.
bool writeExecutable(const std::string& launcherPath, const ZipWriter& writer,
                     const std::vector<std::string>& configuration, const std::string& outputPath,
                     std::string& error, const ResourceRequest& resources = {},
                     bool console = false);

}  // namespace oru::tools
