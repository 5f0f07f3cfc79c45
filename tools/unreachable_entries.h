// Entries of packed jars that no lookup can reach: names with the oru: URL separator "!".
#pragma once

#include <string>
#include <vector>

#include "zip_writer.h"

namespace oru::tools {

// One line per jar nested in `archive` that holds entries with a "!" in their names:
// the jar (its file and its name in the archive), how many such entries, and the first
// of them. Lines come in the launcher's search order; none when no name holds a "!".
std::vector<std::string> unreachableEntryWarnings(const ZipWriter& archive);

}  // namespace oru::tools
