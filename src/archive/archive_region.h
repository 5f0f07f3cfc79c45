// The part of a file that its appended archive occupies: all of it, or, for a signed
// Windows executable, what comes before the certificate table the signing tool appended.
#pragma once

#include <cstdint>

#include "archive/pe_layout.h"
#include "platform/files.h"

namespace oru {

struct ArchiveRegion {
    uint64_t length = 0;   // the archive's bytes end here
    uint32_t padding = 0;  // zero bytes (at most 7) just before `length` that a signing
                           // tool may have added to align its table
};

// Reads `count` bytes at `offset` into `buffer`; false when they are not all there.
using ReadAt = bool (*)(const void* context, uint64_t offset, void* buffer, uint32_t count);

// The archive region of a file of `fileSize` bytes read through `read`. A file that is
// not a PE executable, or whose security directory is empty or does not describe a
// well-formed certificate table that ends the file (8-byte aligned, past the headers,
// starting with a certificate header that fits it), is all region.
ArchiveRegion findArchiveRegion(uint64_t fileSize, ReadAt read, const void* context);

// The same over bytes in memory.
ArchiveRegion findArchiveRegion(const unsigned char* bytes, uint64_t size);

// The same over an open file of `size` bytes.
ArchiveRegion findArchiveRegion(const platform::ReadOnlyFile& file, uint64_t size);

// Reads the PE headers of a file of `fileSize` bytes; false when it is no PE32 or PE32+
// executable or its optional header does not reach the subsystem field.
bool findPeHeaders(uint64_t fileSize, ReadAt read, const void* context, PeHeaders& out);
bool findPeHeaders(const unsigned char* bytes, uint64_t size, PeHeaders& out);

// Whether the `size` bytes at `bytes` start with an MS-DOS header that points at a PE
// signature, whatever follows it.
bool hasPeSignature(const unsigned char* bytes, uint64_t size);

// Reads exactly `count` bytes at `offset` of `file`; false when they are not all there.
bool readFileExactly(const platform::ReadOnlyFile& file, uint64_t offset, void* buffer,
                     uint32_t count);

}  // namespace oru
