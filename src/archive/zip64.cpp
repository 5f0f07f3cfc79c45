// ZIP64 records: the end record and its locator, the extended-information extra block.
#include "archive/zip64.h"

#include "archive/zip_entry.h"
#include "archive/zip_records.h"
#include "support/little_endian.h"

namespace oru {

namespace {

// A figure that a ZIP64 record replaces agrees with it whatever it is.
bool agrees(uint64_t figure, uint64_t sentinel, uint64_t value) {
    return figure == sentinel || figure == value;
}

}  // namespace

bool applyZip64End(const unsigned char* before, DirectoryFigures& figures) {
    const unsigned char* record = before;
    const unsigned char* locator = before + kZip64EndRecordSize;
    if (readU32(locator) != kZip64LocatorSignature || readU32(record) != kZip64EndSignature)
        return true;
    const uint64_t entries = readU64(record + 32);
    const uint64_t size = readU64(record + 40);
    const uint64_t offset = readU64(record + 48);
    // The locator's offset counts from the archive's first byte, as the directory's does,
    // so an archive behind a prefix (an executable) reads like one without.
    if (!agrees(figures.entries, kZip64Count, entries) ||
        !agrees(figures.size, kZip64Value, size) || !agrees(figures.offset, kZip64Value, offset) ||
        readU64(locator + 8) != offset + size)
        return true;
    // Only single-volume archives are read, and a source holds at most 4 GiB - 1 bytes:
    // larger figures describe nothing in it.
    if (readU32(record + 16) != 0 || readU32(record + 20) != 0 || entries > UINT32_MAX ||
        size > UINT32_MAX || offset > UINT32_MAX)
        return false;
    figures = {entries, size, offset, figures.end - kZip64EndRecordSize - kZip64LocatorSize};
    return true;
}

bool findZip64Block(const unsigned char* extra, size_t size, ByteCursor& block) {
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

bool resolveCentralZip64(const unsigned char* extra, size_t size, CZipEntry& entry) {
    uint32_t* const fields[] = {&entry.uncompressedSize, &entry.compressedSize,
                                &entry.localHeaderOffset};
    size_t wanted = 0;
    for (const uint32_t* field : fields) wanted += *field == kZip64Value ? 8 : 0;
    if (wanted == 0) return true;
    ByteCursor block(nullptr, 0);
    if (!findZip64Block(extra, size, block) || block.remaining() != wanted) return false;
    for (uint32_t* field : fields) {
        if (*field != kZip64Value) continue;
        const uint64_t value = readU64(block.take(8));
        if (value > UINT32_MAX) return false;
        *field = static_cast<uint32_t>(value);
    }
    return true;
}

bool resolveLocalZip64(const unsigned char* extra, size_t size, uint64_t& compressed,
                       uint64_t& uncompressed) {
    ByteCursor block(nullptr, 0);
    if (!findZip64Block(extra, size, block)) return false;
    // A local header's ZIP64 block holds both sizes, whichever of them overflowed.
    const unsigned char* sizes = block.take(16);
    if (sizes && (compressed == kZip64Value || uncompressed == kZip64Value)) {
        uncompressed = readU64(sizes);
        compressed = readU64(sizes + 8);
    }
    return true;
}

}  // namespace oru
