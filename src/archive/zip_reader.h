// CZipReader: a read-only reader of single-volume ZIP archives in a file or in memory.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "archive/zip_entry.h"
#include "archive/zip_exception.h"
#include "archive/zip_source.h"
#include "archive/zlib_blocks.h"

namespace oru {

// Opening loads the central directory; the records are then indexed 0..entryCount()-1
// in the order of their data in the source. One entry at a time can be extracted with
// openEntry, readData and closeEntry. Failures throw CZipException. Not thread-safe:
// callers serialise use of one reader.
class CZipReader {
public:
    enum class Mode { kReadOnly };
    static constexpr uint32_t kReadBufferSize = 65536;

    CZipReader();
    CZipReader(const CZipReader&) = delete;
    CZipReader& operator=(const CZipReader&) = delete;
    ~CZipReader();

    // Opens the file at `path` (kept open until close) and loads its directory. Does
    // nothing when already open. Throws CZipException on failure, leaving the reader
    // closed.
    void open(const char* path, Mode mode, uint32_t volumeSize);
    // The same over `source`, rewound first; the caller keeps ownership of the source
    // and must keep it alive until close.
    void open(CZipSource& source, Mode mode);
    // As open(source, mode), but only the end record is read and charged to the
    // allowance: the records wait for loadRecords, and until then there are none. For an
    // archive that may never be searched, whose directory would cost time for nothing.
    void openEndRecord(CZipSource& source);
    // Reads the records that openEndRecord left; does nothing when there are none to
    // read. Throws as open does, leaving the reader closed.
    void loadRecords();
    // How many records, read straight from the directory and none kept, have a name
    // (as stored, with "/") that `match` accepts; -1 when the directory is malformed.
    // For a reader opened by openEndRecord whose records are still unread. The bytes
    // stream through `buffer` (grown to about 100 KB), which a caller scanning many
    // archives reuses.
    int countNames(bool (*match)(const char* name, int length), std::vector<unsigned char>& buffer);
    // Ends an open entry (without checks when `afterError`), drops the records and
    // detaches the source, closing a file this reader opened. Never throws.
    void close(bool afterError = false);
    bool isOpen() const { return source_ != nullptr; }

    int entryCount() const { return static_cast<int>(directory_.entries.size()); }
    // Valid for index < entryCount(); the reader owns the record.
    const CZipEntry& entry(uint32_t index) const { return directory_.entries[index]; }
    uint32_t bytesBeforeArchive() const { return directory_.bytesBeforeArchive; }
    const std::string& comment() const { return directory_.comment; }

    // Position of the end record within the source; valid while open.
    uint32_t endRecordPosition() const { return directory_.endRecordPosition; }

    // True when the record's sizes are possible for this source: its local header and
    // compressed data fit before the next entry's local header (the central directory
    // for the last entry) and inside the source, and its uncompressed size is one its
    // method can produce. Lets callers refuse to allocate for a lying record before
    // opening it.
    bool entrySizesPlausible(uint32_t index) const;

    // Makes the next open take the memory its directory will hold from `*allowance`
    // before any record is read: directoryFootprint of the end record's figures, with
    // `extraPerRecord` bytes a record for what the caller builds over the records. An
    // open that would need more than is left fails with badArchive; the charge stays
    // when the open fails later. Null: no limit. `allowance` must outlive the open.
    void setDirectoryAllowance(uint64_t* allowance, uint32_t extraPerRecord) {
        allowance_ = allowance;
        extraPerRecord_ = extraPerRecord;
    }
    // A bound on the memory a directory of `entries` records in `directorySize` bytes,
    // with an archive comment of `commentSize` bytes, keeps while the reader is open.
    static uint64_t directoryFootprint(uint32_t entries, uint32_t directorySize,
                                       uint32_t commentSize, uint32_t extraPerRecord);

    // Positions the source at entry `index`'s data and prepares decompression. False,
    // with no other effect, when the index is out of range or an entry is open. Throws
    // badArchive (local header), badPassword (encrypted) or a zlib code.
    bool openEntry(uint32_t index);
    // Delivers up to min(size, bytes left) uncompressed bytes into `buffer`; returns
    // how many. 0 when no entry is open, the buffer is null or size is 0. Throws
    // badArchive (truncated data) or a zlib code; the entry then stays open.
    uint32_t readData(void* buffer, uint32_t size);
    // Ends the open entry: 1 when it was read whole and its checksum and data
    // descriptor match, -1 when bytes were left unread, 0 when no entry was open.
    // Throws badCrc or badArchive (descriptor), leaving the entry open; closing again
    // with `afterError` skips every check, always succeeds and never throws.
    int closeEntry(bool afterError = false);
    // Position within the source of the open entry's data, its local header checked
    // (for a stored entry, its bytes as they are); 0 when no entry is open.
    uint64_t openEntryDataPosition() const;

private:
    // Runs `load`, closing the reader when it throws.
    void loadOrClose(void (CZipReader::*load)());
    void loadDirectory();
    void loadEndRecord();
    void readRecords();
    uint32_t findEndRecord();
    void readEndRecord(uint32_t position);
    void chargeDirectory();
    void readCentralDirectory();
    void sortEntries();
    // Absolute position that entry `index`'s data must end at or before: the next
    // entry's local header, the central directory after the last entry.
    uint64_t dataLimit(uint32_t index) const;

    void checkLocalHeader(const unsigned char* header, CZipEntry& entry, uint64_t headerPosition);
    void beginInflate();
    uint32_t feedInput();
    void checkDescriptor(const CZipEntry& entry);
    void endExtraction();

    // Reads exactly `count` bytes at `position`; badArchive otherwise.
    void readExactly(uint64_t position, void* buffer, uint32_t count);

    CZipFileSource fileSource_;
    CZipSource* source_ = nullptr;
    CZipDirectory directory_;
    bool recordsPending_ = false;  // openEndRecord left the records unread
    uint64_t* allowance_ = nullptr;
    uint32_t extraPerRecord_ = 0;

    // Extraction state of the open entry.
    bool extracting_ = false;
    bool inflating_ = false;
    bool dummyOffered_ = false;
    std::unique_ptr<unsigned char[]> readBuffer_;
    z_stream stream_{};
    ZlibBlockList zlibBlocks_;
    uint32_t crc_ = 0;
    uint32_t compressedLeft_ = 0;
    uint32_t uncompressedLeft_ = 0;
    uint64_t dataEnd_ = 0;          // absolute position just past the compressed data
    bool zip64Descriptor_ = false;  // the local header's sizes are in ZIP64 fields
};

}  // namespace oru
