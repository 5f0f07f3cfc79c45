// ZIP64 records: the end record that its locator announces, and the extended-information
// block of an entry's extra field. Inline, so that each rule compiles into its callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "archive/byte_cursor.h"
#include "archive/zip_entry.h"
#include "archive/zip_records.h"
#include "support/little_endian.h"

namespace oru {

// The central directory as an end record describes it, and where it must end.
struct DirectoryFigures {
    uint32_t entries;
    uint32_t size;
    uint32_t offset;
    uint32_t end;  // position of the record that follows the directory
};

// Takes the figures of a ZIP64 end record, when the kZip64EndRecordSize +
// kZip64LocatorSize bytes at `before`, just before the end record at `figures.end`, are
// one and its locator: the locator must point where the directory ends (counting from
// the archive's first byte, as the directory's offset does, so that an archive behind a
// prefix reads as one without), and every figure of the end record that is not a
// sentinel must agree, as the JDK requires; otherwise the end record's figures stand.
// False (a damaged archive) when the ZIP64 end record names a disk other than the first
// or a figure past 32 bits, which nothing in a source of at most 4 GiB - 1 bytes has.
inline bool applyZip64End(const unsigned char* before, DirectoryFigures& figures) {
    const unsigned char* record = before;
    const unsigned char* locator = before + kZip64EndRecordSize;
    if (readU32(locator) != kZip64LocatorSignature || readU32(record) != kZip64EndSignature)
        return true;
    if (readU32(record + 16) | readU32(record + 20) | readU32(record + 36) | readU32(record + 44) |
        readU32(record + 52))
        return false;
    const DirectoryFigures found{readU32(record + 32), readU32(record + 40), readU32(record + 48),
                                 figures.end - kZip64EndRecordSize - kZip64LocatorSize};
    if ((figures.entries == kZip64Count || figures.entries == found.entries) &&
        (figures.size == kZip64Value || figures.size == found.size) &&
        (figures.offset == kZip64Value || figures.offset == found.offset) &&
        readU64(locator + 8) == uint64_t{found.offset} + found.size)
        figures = found;
    return true;
}

// The data of the first ZIP64 block among the blocks of an extra field (`size` bytes at
// `extra`) in `block`; false when there is none, or when a block before it runs past the
// extra field.
inline bool findZip64Block(const unsigned char* extra, size_t size, ByteCursor& block) {
    ByteCursor blocks(extra, size);
    while (const unsigned char* header = blocks.take(4)) {
        const uint16_t length = readU16(header + 2);
        const unsigned char* data = blocks.take(length);
        if (!data) return false;
        if (readU16(header) == kZip64ExtraTag) {
            block = ByteCursor(data, length);
            return true;
        }
    }
    return false;
}

// Gives the central record's sizes and local header offset that hold kZip64Value their
// values from the record's ZIP64 block, which must hold exactly those, 8 bytes each in the
// order uncompressed size, compressed size, offset (as the JDK checks it). False when it
// does not, or when a value passes 32 bits.
inline bool resolveCentralZip64(const unsigned char* extra, size_t size, CZipEntry& entry) {
    ByteCursor block(nullptr, 0);
    bool found = false;
    for (uint32_t* field :
         {&entry.uncompressedSize, &entry.compressedSize, &entry.localHeaderOffset}) {
        if (*field != kZip64Value) continue;
        if (!found && !(found = findZip64Block(extra, size, block))) return false;
        const unsigned char* value = block.take(8);
        if (!value || readU32(value + 4) != 0) return false;
        *field = readU32(value);
    }
    return block.remaining() == 0;
}

}  // namespace oru
