// extractEntry: one whole, checked extraction on a reader, with every error contained.
#pragma once

#include <cstdint>

namespace oru {

class CZipReader;

// Reads entry `index` of `reader` into `buffer`, which holds `size` bytes, the entry's
// uncompressed size. True only when every byte was delivered and the checksum and data
// descriptor matched. Never throws: on any failure the reader's entry is closed after
// the error, so the reader stays usable. The caller serialises use of the reader.
bool extractEntry(CZipReader& reader, uint16_t index, unsigned char* buffer, uint32_t size);

}  // namespace oru
