// Telling an oru launcher from any other file before it becomes the head of an executable.
#pragma once

#include <string>

namespace oru::tools {

// Whether `image` (the bytes of the file at `path`) is a launcher of this project: an ELF
// or PE executable that carries the launcher's natives. False with one line in `error`.
bool checkLauncher(const std::string& path, const std::string& image, std::string& error);

}  // namespace oru::tools
