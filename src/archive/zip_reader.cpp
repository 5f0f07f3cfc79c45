// CZipReader: opening, the end-record search and the central directory.
#include "archive/zip_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/byte_cursor.h"
#include "archive/zip64.h"
#include "archive/zip_records.h"

namespace oru {

namespace {

constexpr uint32_t kLargestTail = kEndRecordSize + 65535;
constexpr uint32_t kFirstSearchWindow = 1024;
constexpr uint32_t kZip64Tail = kZip64EndRecordSize + kZip64LocatorSize;
// Room for a central record's fixed part and the longest name, and a little more.
constexpr uint32_t kNameScanBuffer = 96 * 1024;

// Deflate cannot expand data by more than about 1032:1; a record claiming more lies.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateSlack = 64;

void decodeCentralRecord(const unsigned char* p, CZipEntry& e) {
    e.flags = readU16(p + 8);
    e.method = readU16(p + 10);
    e.dosTime = readU32(p + 12);
    e.crc32 = readU32(p + 16);
    e.compressedSize = readU32(p + 20);
    e.uncompressedSize = readU32(p + 24);
    e.localHeaderOffset = readU32(p + 42);
}

// Orders sortEntries' keys.
int compareKeys(const void* a, const void* b) {
    const uint64_t x = *static_cast<const uint64_t*>(a);
    const uint64_t y = *static_cast<const uint64_t*>(b);
    return (x > y) - (x < y);
}

// Copies `count` bytes from the cursor into `out`; badArchive when they run past it.
void takeField(ByteCursor& cursor, uint16_t count, std::string& out) {
    const unsigned char* bytes = cursor.take(count);
    if (!bytes) throwZip(CZipException::badArchive);
    out.assign(reinterpret_cast<const char*>(bytes), count);
}

void skipField(ByteCursor& cursor, uint16_t count) {
    if (!cursor.take(count)) throwZip(CZipException::badArchive);
}

// Central records streamed through a caller's buffer, which holds a record from its
// fixed part through its name; the rest of a record is skipped without being read.
class RecordStream {
public:
    RecordStream(CZipSource& source, uint64_t start, uint64_t end,
                 std::vector<unsigned char>& buffer)
        : source_(source), next_(start), end_(end), buffer_(buffer) {
        if (buffer_.size() < kNameScanBuffer) buffer_.resize(kNameScanBuffer);
    }

    // The next `need` bytes (at most the buffer's size), not consumed; null when the
    // directory ends first or the source cannot deliver them.
    const unsigned char* hold(size_t need) {
        if (filled_ - begin_ < need) {
            std::memmove(buffer_.data(), buffer_.data() + begin_, filled_ - begin_);
            filled_ -= begin_;
            begin_ = 0;
            const auto more =
                static_cast<uint32_t>(std::min<uint64_t>(buffer_.size() - filled_, end_ - next_));
            if (source_.seek(static_cast<int64_t>(next_), SeekOrigin::kBegin) < 0 ||
                source_.read(buffer_.data() + filled_, more) != more)
                return nullptr;
            filled_ += more;
            next_ += more;
            if (filled_ < need) return nullptr;
        }
        return buffer_.data() + begin_;
    }

    // Consumes `count` bytes; false when that passes the directory's end.
    bool skip(uint64_t count) {
        const size_t held = filled_ - begin_;
        if (count <= held) {
            begin_ += static_cast<size_t>(count);
            return true;
        }
        begin_ = filled_ = 0;
        next_ += count - held;
        return next_ <= end_;
    }

private:
    CZipSource& source_;
    uint64_t next_;  // where the bytes after the buffered ones start
    const uint64_t end_;
    std::vector<unsigned char>& buffer_;
    size_t begin_ = 0;  // the buffer holds the directory's bytes [begin_, filled_)
    size_t filled_ = 0;
};

}  // namespace

CZipReader::CZipReader() = default;

CZipReader::~CZipReader() { close(true); }

void CZipReader::open(const char* path, Mode, uint32_t) {
    if (isOpen()) return;
    // A file that cannot be opened is an unreadable archive, not an empty one: its
    // first read would deliver nothing, so fail as any short read does.
    if (!fileSource_.open(path)) throwZip(CZipException::badArchive);
    source_ = &fileSource_;
    loadOrClose(&CZipReader::loadDirectory);
}

void CZipReader::open(CZipSource& source, Mode) {
    if (isOpen()) return;
    source.seek(0, SeekOrigin::kBegin);
    source_ = &source;
    loadOrClose(&CZipReader::loadDirectory);
}

void CZipReader::openEndRecord(CZipSource& source) {
    if (isOpen()) return;
    source.seek(0, SeekOrigin::kBegin);
    source_ = &source;
    loadOrClose(&CZipReader::loadEndRecord);
    recordsPending_ = true;
}

void CZipReader::loadRecords() {
    if (!isOpen() || !recordsPending_) return;
    recordsPending_ = false;
    loadOrClose(&CZipReader::readRecords);
}

int CZipReader::countNames(bool (*match)(const char* name, int length),
                           std::vector<unsigned char>& buffer) {
    if (!isOpen() || !recordsPending_) return -1;
    const CZipDirectory& d = directory_;
    if (static_cast<uint64_t>(d.totalEntries) * kCentralRecordSize > d.centralDirectorySize)
        return -1;
    const uint64_t start = static_cast<uint64_t>(d.centralDirectoryOffset) + d.bytesBeforeArchive;
    RecordStream records(*source_, start, start + d.centralDirectorySize, buffer);
    int count = 0;
    for (uint32_t i = 0; i < d.totalEntries; ++i) {
        const unsigned char* fixed = records.hold(kCentralRecordSize);
        // The same refusals as reading the records: a signature, a single volume.
        if (!fixed || readU32(fixed) != kCentralSignature || readU16(fixed + 34) != 0) return -1;
        const uint32_t nameEnd = kCentralRecordSize + readU16(fixed + 28);
        const uint64_t recordSize = uint64_t{nameEnd} + readU16(fixed + 30) + readU16(fixed + 32);
        const unsigned char* record = records.hold(nameEnd);
        if (!record) return -1;
        if (match(reinterpret_cast<const char*>(record + kCentralRecordSize),
                  static_cast<int>(nameEnd - kCentralRecordSize)))
            ++count;
        if (!records.skip(recordSize)) return -1;
    }
    return count;
}

void CZipReader::loadOrClose(void (CZipReader::*load)()) {
    // A failed open leaves nothing behind: no records, no file handle held.
    try {
        (this->*load)();
    } catch (...) {
        close(true);
        throw;
    }
}

void CZipReader::close(bool afterError) {
    if (!isOpen()) return;
    if (extracting_) {
        try {
            closeEntry(afterError);
        } catch (const CZipException&) {
            closeEntry(true);
        }
    }
    directory_ = CZipDirectory();
    recordsPending_ = false;
    source_->close();
    source_ = nullptr;
}

void CZipReader::loadDirectory() {
    loadEndRecord();
    readRecords();
}

void CZipReader::loadEndRecord() {
    directory_ = CZipDirectory();
    readEndRecord(findEndRecord());
    chargeDirectory();
}

void CZipReader::readRecords() {
    if (directory_.centralDirectorySize != 0) {
        readCentralDirectory();
        sortEntries();
    }
}

uint64_t CZipReader::directoryFootprint(uint32_t entries, uint32_t directorySize,
                                        uint32_t commentSize, uint32_t extraPerRecord) {
    // Per record: the record itself, a heap block for its name (the names' bytes are at
    // most the directory's size), its sort key while the records are put in order, and
    // the caller's own share.
    constexpr uint64_t kHeapBlock = 4 * sizeof(void*);
    const uint64_t perRecord = sizeof(CZipEntry) + kHeapBlock + sizeof(uint64_t) + extraPerRecord;
    return entries * perRecord + directorySize + commentSize;
}

void CZipReader::chargeDirectory() {
    if (!allowance_) return;
    const CZipDirectory& d = directory_;
    const uint64_t cost =
        directoryFootprint(d.totalEntries, d.centralDirectorySize,
                           static_cast<uint32_t>(d.comment.size()), extraPerRecord_);
    if (cost > *allowance_) throwZip(CZipException::badArchive);
    *allowance_ -= cost;
}

void CZipReader::readExactly(uint64_t position, void* buffer, uint32_t count) {
    if (source_->seek(static_cast<int64_t>(position), SeekOrigin::kBegin) < 0 ||
        source_->read(buffer, count) != count)
        throwZip(CZipException::badArchive);
}

uint32_t CZipReader::findEndRecord() {
    const uint32_t length = source_->length();
    const uint32_t limit = std::min(length, kLargestTail);
    if (limit == 0) throwZip(CZipException::endRecordNotFound);
    std::vector<unsigned char> window(std::min(kFirstSearchWindow, limit));
    // Windows run backwards from the end and overlap by 3 bytes, so a signature that
    // lies across a seam is whole in one of them; the match nearest the end wins. The
    // first is small: most archives have no comment, and the store reads the end of
    // every nested archive it opens.
    uint32_t covered = 0;
    uint32_t reach;
    do {
        const uint32_t step = covered == 0 ? kFirstSearchWindow : CZipDirectory::kSearchWindow;
        reach = std::min(covered + step, limit);
        uint32_t count = reach - covered;
        if (window.size() < count) window.resize(count);
        readExactly(length - reach, window.data(), count);
        // Only a signature followed by a whole record counts, as for the configuration
        // reader: one in the last 21 bytes is stray data, and both must take one record.
        const int64_t last = std::min<int64_t>(static_cast<int64_t>(count) - 4,
                                               static_cast<int64_t>(reach) - kEndRecordSize);
        for (int64_t i = last; i >= 0; --i) {
            if (readU32(&window[static_cast<size_t>(i)]) == kEndSignature)
                return length - reach + static_cast<uint32_t>(i);
        }
        covered = reach - 3;
    } while (reach < limit);
    throwZip(CZipException::endRecordNotFound);
}

void CZipReader::readEndRecord(uint32_t position) {
    // A ZIP64 end record and its locator, when there are any, lie just before the end
    // record: one read takes them all.
    const uint32_t before = position < kZip64Tail ? 0 : kZip64Tail;
    unsigned char bytes[kZip64Tail + kEndRecordSize];
    readExactly(position - before, bytes, before + kEndRecordSize);
    const unsigned char* record = bytes + before;
    CZipDirectory& d = directory_;
    d.endRecordPosition = position;
    d.thisDisk = readU16(record + 4);
    d.centralDirectoryDisk = readU16(record + 6);
    d.entriesOnThisDisk = readU16(record + 8);
    // Only single-volume archives are read.
    if (d.thisDisk != 0 || d.centralDirectoryDisk != 0) throwZip(CZipException::badArchive);
    DirectoryFigures figures{readU16(record + 10), readU32(record + 12), readU32(record + 16),
                             position};
    if (before != 0 && !applyZip64End(bytes, figures)) throwZip(CZipException::badArchive);
    d.totalEntries = figures.entries;
    d.centralDirectorySize = figures.size;
    d.centralDirectoryOffset = figures.offset;
    const uint64_t directoryEnd = uint64_t{figures.offset} + figures.size;
    if (figures.end < directoryEnd) throwZip(CZipException::badArchive);
    if (uint16_t commentLength = readU16(record + 20)) {
        d.comment.resize(commentLength);
        readExactly(position + kEndRecordSize, &d.comment[0], commentLength);
    }
    d.bytesBeforeArchive = figures.end - figures.offset - figures.size;
    if ((d.centralDirectorySize == 0) != (d.totalEntries == 0)) throwZip(CZipException::badArchive);
    d.loaded = true;
}

void CZipReader::readCentralDirectory() {
    CZipDirectory& d = directory_;
    // Every record takes at least 46 bytes, which bounds the count by the directory's
    // size, and the size is bounded by the source (checked against the end record).
    if (static_cast<uint64_t>(d.totalEntries) * kCentralRecordSize > d.centralDirectorySize)
        throwZip(CZipException::badArchive);
    std::vector<unsigned char> records(d.centralDirectorySize);
    readExactly(static_cast<uint64_t>(d.centralDirectoryOffset) + d.bytesBeforeArchive,
                records.data(), d.centralDirectorySize);
    ByteCursor cursor(records.data(), records.size());
    d.entries.reserve(d.totalEntries);
    for (uint32_t i = 0; i < d.totalEntries; ++i) {
        const unsigned char* fixed = cursor.take(kCentralRecordSize);
        if (!fixed || readU32(fixed) != kCentralSignature) throwZip(CZipException::badArchive);
        CZipEntry entry;
        // A single-volume archive: every record's data starts on disk 0.
        if (readU16(fixed + 34) != 0) throwZip(CZipException::badArchive);
        decodeCentralRecord(fixed, entry);
        takeField(cursor, readU16(fixed + 28), entry.name);
        // The extra field is consulted for ZIP64 values only and the comment never: neither
        // is kept, since every byte a record keeps is multiplied by the archives' entries.
        const uint16_t extraLength = readU16(fixed + 30);
        const unsigned char* extra = cursor.take(extraLength);
        if (!extra || !resolveCentralZip64(extra, extraLength, entry))
            throwZip(CZipException::badArchive);
        skipField(cursor, readU16(fixed + 32));
        std::replace(entry.name.begin(), entry.name.end(), '/', '\\');
        d.entries.push_back(std::move(entry));
    }
}

void CZipReader::sortEntries() {
    // Each record's key, its offset above its index, is sorted instead of the records
    // themselves (C's qsort: no sorting code of its own in the launcher); the records
    // then move to their places along the permutation's cycles.
    std::vector<CZipEntry>& entries = directory_.entries;
    const size_t count = entries.size();
    std::vector<uint64_t> keys(count);
    for (size_t i = 0; i < count; ++i) keys[i] = uint64_t{entries[i].localHeaderOffset} << 32 | i;
    std::qsort(keys.data(), count, sizeof keys[0], compareKeys);
    // Two records sharing one local header would alias each other's data.
    for (size_t i = 1; i < count; ++i)
        if (keys[i] >> 32 == keys[i - 1] >> 32) throwZip(CZipException::badArchive);
    // Place p takes the record at index keys[p] (its low half); a filled place's key
    // becomes its own index.
    for (size_t p = 0; p < count; ++p) {
        size_t from = static_cast<uint32_t>(keys[p]);
        if (from == p) continue;
        CZipEntry held = std::move(entries[p]);
        size_t to = p;
        for (; from != p; to = from, from = static_cast<uint32_t>(keys[to])) {
            entries[to] = std::move(entries[from]);
            keys[to] = to;
        }
        entries[to] = std::move(held);
        keys[to] = to;
    }
}

uint64_t CZipReader::dataLimit(uint32_t index) const {
    const CZipDirectory& d = directory_;
    const uint64_t next = index + 1u < d.entries.size() ? d.entries[index + 1u].localHeaderOffset
                                                        : d.centralDirectoryOffset;
    return std::min<uint64_t>(next + d.bytesBeforeArchive, source_->length());
}

bool CZipReader::entrySizesPlausible(uint32_t index) const {
    if (!isOpen() || index >= directory_.entries.size()) return false;
    const CZipEntry& e = directory_.entries[index];
    if (static_cast<uint64_t>(e.localHeaderOffset) + directory_.bytesBeforeArchive +
            kLocalHeaderSize + e.compressedSize >
        dataLimit(index))
        return false;
    if (e.method == 0) return e.compressedSize == e.uncompressedSize;
    return e.uncompressedSize <= e.compressedSize * kMaxDeflateRatio + kDeflateSlack;
}

}  // namespace oru
