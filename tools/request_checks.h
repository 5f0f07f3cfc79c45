// What oru-pack checks of a request before it reads any input: entry names and the output.
#pragma once

#include <string>
#include <vector>

#include "pack_application.h"

namespace oru::tools {

// Whether the names the archive would hold (with `libraryNames`, one per library jar of
// `request`) are usable: no two alike (with "\" read as "/", as the launcher reads
// them), none under the launcher's own com/vostrand/oru/, none empty or with a "!"
// (which separates a jar from its entry in oru: URLs) or a control character, and at
// most as many as a ZIP directory counts. False with one line in `error`.
bool checkEntryNames(const PackRequest& request, const std::vector<std::string>& libraryNames,
                     std::string& error);

// Whether the output is none of the inputs (the launcher, the jars, the files, the
// picture, the icon), links followed, as cp refuses to copy a file onto itself. False
// with one line in `error`.
bool checkOutputIsNoInput(const PackRequest& request, std::string& error);

// Whether `c` is an ASCII control character (0x00 to 0x1F, 0x7F).
bool isControlCharacter(char c);

// `text` with control characters shown as \xNN, for a message.
std::string printable(const std::string& text);

}  // namespace oru::tools
