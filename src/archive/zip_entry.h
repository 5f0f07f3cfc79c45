// CZipEntry and CZipDirectory: what the reader keeps of an archive's directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oru {

// What the reader keeps of one central-directory record: only the fields that reading
// the entry needs, since a record's every byte is multiplied by the entries of every
// archive opened. Names hold "\" where the archive had "/", and are not NUL-terminated
// (they may even contain NUL bytes): use name.size().
struct CZipEntry {
    uint16_t flags = 0;
    uint16_t method = 8;
    uint32_t crc32 = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t localHeaderOffset = 0;
    // Last modification as MS-DOS stores it: date in the high half, time in the low.
    uint32_t dosTime = 0;
    std::string name;

    static constexpr uint16_t kEncrypted = 0x0001;
    static constexpr uint16_t kHasDescriptor = 0x0008;
    // The name is UTF-8 whatever the code page (as jar tools write names).
    static constexpr uint16_t kUtf8Name = 0x0800;
};

// The end record's fields and the records, in the order of their data in the source.
struct CZipDirectory {
    uint32_t endRecordPosition = 0;  // absolute, within the source
    uint32_t bytesBeforeArchive = 0;
    uint16_t thisDisk = 0;
    uint16_t centralDirectoryDisk = 0;
    uint16_t entriesOnThisDisk = 0;
    uint32_t totalEntries = 0;  // from the ZIP64 end record when there is one
    uint32_t centralDirectorySize = 0;
    uint32_t centralDirectoryOffset = 0;
    std::string comment;
    std::vector<CZipEntry> entries;
    int currentEntry = -1;   // index of the open entry, -1 when none
    std::string localExtra;  // the open entry's local extra field (read for ZIP64 sizes)
    bool loaded = false;

    static constexpr uint32_t kSearchWindow = 32768;
};

}  // namespace oru
