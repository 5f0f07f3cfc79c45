// --lib with a folder: the jars directly in it.
#pragma once

#include <string>
#include <vector>

namespace oru::tools {

// Replaces each folder in `libraries` by the jars directly in it (`*.jar` in any case),
// in name order; files stay as they are. False with a one-line message in `error` when a
// folder cannot be read or holds no jar.
bool expandLibraryFolders(std::vector<std::string>& libraries, std::string& error);

}  // namespace oru::tools
