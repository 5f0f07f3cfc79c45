// Small Windows files that tests build byte by byte: BMP pictures and a PE32+ image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oru::testing {

// A BMP file: 40-byte header, `bits` per pixel, the palette a paletted picture needs.
std::string bmpFile(int width, int height, int bits, uint32_t compression = 0);

// An ICO file of 16 x 16 `images` (each a bitmap without its file header, or a PNG).
std::string icoFile(const std::vector<std::string>& images);

// A small PE32+ image: headers, an empty resource section, and base relocations (or,
// with `imports`, an import table) behind it. The relocation section's raw bytes start
// with "relocations!" at 0x400 and run to 0x600.
std::string smallPeImage(bool imports);

}  // namespace oru::testing
