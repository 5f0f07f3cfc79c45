// The part of a file that its appended archive occupies: all of it, or, for a signed
// Windows executable, what comes before the certificate table the signing tool appended.
#pragma once

#include <cstdint>

#include "archive/pe_layout.h"
#include "platform/files.h"

namespace oru {

class CZipSource;

struct ArchiveRegion {
    uint64_t length = 0;   // the archive's bytes end here
    uint32_t padding = 0;  // zero bytes (at most 7) just before `length` that a signing
                           // tool may have added to align its table
};

// The archive region of the file that `source` holds, read at offsets (its position is
// left as it is). A file that is not a PE executable, or whose security directory is
// empty or does not describe a well-formed certificate table that ends the file (8-byte
// aligned, past the headers, starting with a certificate header that fits it), is all
// region.
ArchiveRegion findArchiveRegion(const CZipSource& source);

// The same over bytes in memory; 4 GiB or more of them count as no PE executable.
ArchiveRegion findArchiveRegion(const unsigned char* bytes, uint64_t size);

// The same over an open file of `size` bytes.
ArchiveRegion findArchiveRegion(const platform::ReadOnlyFile& file, uint64_t size);

// Reads the PE headers of the file that `source` holds; false when it is no PE32 or
// PE32+ executable or its optional header does not reach the subsystem field.
bool findPeHeaders(const CZipSource& source, PeHeaders& out);
// The same over bytes in memory; 4 GiB or more of them are no PE executable.
bool findPeHeaders(const unsigned char* bytes, uint64_t size, PeHeaders& out);

// Whether the `size` bytes at `bytes` start with an MS-DOS header that points at a PE
// signature, whatever follows it.
bool hasPeSignature(const unsigned char* bytes, uint64_t size);

}  // namespace oru
