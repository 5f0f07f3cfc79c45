// oru-pack --list: what a packed executable carries, in a form scripts can read.
#pragma once

#include <ostream>
#include <string>

namespace oru::tools {

// Prints two sections of `executablePath`'s archive: "[configuration]", the comment's
// lines as stored, then "[entries]", one entry a line, its fields separated by tabs:
// the size, "stored" or "deflated", the number of entries of a nested jar or zip ("-"
// for any other entry), and the name. Returns
// false with a message in `error` when the file holds no archive.
bool listExecutable(const std::string& executablePath, std::ostream& out, std::string& error);

}  // namespace oru::tools
