// extractEntry: one whole, checked extraction on a reader, with every error contained.
#pragma once

#include <cstdint>

namespace oru {

class CZipReader;

// Reads entry `index` of `reader` into `buffer`, which holds `size` bytes, the entry's
// uncompressed size. True only when every byte was delivered and the checksum and data
// descriptor matched. Never throws: on any failure the reader's entry is closed after
// the error, so the reader stays usable. The caller serialises use of the reader.
bool extractEntry(CZipReader& reader, uint32_t index, unsigned char* buffer, uint32_t size);

// The same checks as extractEntry, with the bytes read through a small buffer and
// dropped: true exactly when extractEntry would succeed on the entry.
bool checkEntry(CZipReader& reader, uint32_t index);

// Where a stored entry's bytes lie in the reader's source, its local header checked as
// extraction checks it; false (and `position` unchanged) for a deflated entry or when
// the header fails. Nothing else is read. Never throws; the caller serialises use.
bool findStoredBytes(CZipReader& reader, uint32_t index, uint64_t& position);
// As findStoredBytes, for an entry of either method: where its (compressed) data starts.
bool findEntryBytes(CZipReader& reader, uint32_t index, uint64_t& position);

}  // namespace oru
