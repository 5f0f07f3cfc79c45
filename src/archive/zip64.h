// ZIP64 records: the end record that its locator announces, and the extended-information
// block of an entry's extra field.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/byte_cursor.h"

namespace oru {

struct CZipEntry;

// The central directory as an end record describes it, and where it must end.
struct DirectoryFigures {
    uint64_t entries;
    uint64_t size;
    uint64_t offset;
    uint32_t end;  // position of the record that follows the directory
};

// Takes the figures of a ZIP64 end record, when the kZip64EndRecordSize +
// kZip64LocatorSize bytes at `before`, just before the end record at `figures.end`, are
// one and its locator: the locator must point where the directory ends, and every figure
// of the end record that is not a sentinel must agree, as the JDK requires; otherwise the
// end record's figures stand. False (a damaged archive) when the ZIP64 end record names a
// disk other than the first or a figure that passes 32 bits.
bool applyZip64End(const unsigned char* before, DirectoryFigures& figures);

// The data of the first ZIP64 block among the blocks of an extra field (`size` bytes at
// `extra`) in `block`; false when there is none, or when a block before it runs past the
// extra field.
bool findZip64Block(const unsigned char* extra, size_t size, ByteCursor& block);

// Gives the central record's sizes and local header offset that hold kZip64Value their
// values from the record's ZIP64 block, which must hold exactly those, 8 bytes each in the
// order uncompressed size, compressed size, offset (as the JDK checks it). False when it
// does not, or when a value passes 32 bits.
bool resolveCentralZip64(const unsigned char* extra, size_t size, CZipEntry& entry);

// When the local header's `compressed` or `uncompressed` size holds kZip64Value and its
// extra field's ZIP64 block holds both sizes, sets both from it. True when the extra field
// has a ZIP64 block: the entry's data descriptor then has 8-byte sizes.
bool resolveLocalZip64(const unsigned char* extra, size_t size, uint64_t& compressed,
                       uint64_t& uncompressed);

}  // namespace oru
