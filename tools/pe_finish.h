// The last touches to a packed Windows executable: its subsystem and its checksum.
#pragma once

#include <string>

namespace oru::tools {

// Makes the PE executable `file` a console program (subsystem 3); false when it is no PE
// executable.
bool makeConsoleProgram(std::string& file);

// Writes the optional header's CheckSum over the whole of `file`, as Windows'
// CheckSumMappedFile computes it; must come after every other change to the bytes.
// A file that is no PE executable is left as it is.
void writePeChecksum(std::string& file);

}  // namespace oru::tools
