// Loading the configuration: the recorded directories, the file beside the executable
// and the archive comment.
#pragma once

#include <cstdint>

#include "launcher/config_text.h"
#include "support/narrow_string.h"

namespace oru {

// Records the executable's path and the start-up directory, then reads the configuration
// file and the archive comment. Never fails: missing sources are empty.
LauncherConfig loadConfiguration();

// The executable's directory with a trailing separator; "" before loading.
const NarrowString& executableDirectory();
// The current directory at loading, with a trailing separator; "" before loading.
const NarrowString& startupDirectory();
// Records both directories; done by loading, and by tests that need other ones.
void recordDirectories(const NarrowString& executablePath, const NarrowString& currentDirectory);

// The configuration file beside the executable: the first of its ".cfg" and ".config"
// names that exists and opens as a regular file of at most 1 MiB; "" when neither does.
NarrowString readConfigurationFile(const NarrowString& executablePath);

// The bytes after the last end-of-central-directory signature within the last
// kConfigurationSearchSpan of the `size` bytes at `bytes` (plus `padding`, zero bytes a
// signing tool put at their end) that has a whole 22-byte record after it; "" when none has.
NarrowString findArchiveComment(const unsigned char* bytes, uint64_t size, uint32_t padding = 0);
// findArchiveComment over the archive region of the file at `path` (a signed
// executable's certificate table left out); "" when it cannot be read.
NarrowString readArchiveComment(const char* path);

}  // namespace oru
