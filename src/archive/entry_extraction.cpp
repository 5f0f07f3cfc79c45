// extractEntry, checkEntry, findStoredBytes: whole-entry reads with every error contained.
#include "archive/entry_extraction.h"

#include <algorithm>
#include <new>

#include "archive/zip_reader.h"

namespace oru {

namespace {

constexpr uint32_t kCheckChunk = 16384;

// Reads entry `index` whole, `chunk` bytes a call, into `buffer`, which moves on after
// each call when `advance` (else every call reuses its first `chunk` bytes).
bool readWhole(CZipReader& reader, uint32_t index, unsigned char* buffer, uint32_t size,
               uint32_t chunk, bool advance) {
    try {
        if (!reader.openEntry(index)) return false;
        for (uint32_t done = 0; done < size;) {
            const uint32_t wanted = std::min(chunk, size - done);
            if (reader.readData(advance ? buffer + done : buffer, wanted) != wanted) {
                reader.closeEntry(true);
                return false;
            }
            done += wanted;
        }
        // -1 (bytes left unread: the data ended early) is as much a failure as a throw.
        return reader.closeEntry(false) == 1;
    } catch (const CZipException&) {
    } catch (const std::bad_alloc&) {
    }
    reader.closeEntry(true);
    return false;
}

}  // namespace

bool extractEntry(CZipReader& reader, uint32_t index, unsigned char* buffer, uint32_t size) {
    return readWhole(reader, index, buffer, size, size, true);
}

bool checkEntry(CZipReader& reader, uint32_t index) {
    if (index >= static_cast<uint32_t>(reader.entryCount())) return false;
    unsigned char scratch[kCheckChunk];
    return readWhole(reader, index, scratch, reader.entry(index).uncompressedSize, kCheckChunk,
                     false);
}

bool findStoredBytes(CZipReader& reader, uint32_t index, uint64_t& position) {
    return index < static_cast<uint32_t>(reader.entryCount()) && reader.entry(index).method == 0 &&
           findEntryBytes(reader, index, position);
}

bool findEntryBytes(CZipReader& reader, uint32_t index, uint64_t& position) {
    if (index >= static_cast<uint32_t>(reader.entryCount())) return false;
    bool found = false;
    try {
        found = reader.openEntry(index);
        if (found) position = reader.openEntryDataPosition();
    } catch (const CZipException&) {
    } catch (const std::bad_alloc&) {
    }
    reader.closeEntry(true);
    return found;
}

}  // namespace oru
