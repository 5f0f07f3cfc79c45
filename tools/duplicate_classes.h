// Which copy an application gets of a class that more than one packed jar holds.
#pragma once

#include <string>
#include <vector>

#include "zip_writer.h"

namespace oru::tools {

// One line per pair of jars stored in `archive` that hold classes of the same name: how
// many, and the jar whose copies the application gets (the one the launcher searches
// first, which is not the order the jars were given in). A class held by three jars
// counts once against each jar it is hidden in. Lines come in search order; none when no
// class is held twice.
std::vector<std::string> duplicateClassWarnings(const ZipWriter& archive);

}  // namespace oru::tools
