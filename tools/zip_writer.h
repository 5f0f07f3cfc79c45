// ZipWriter: builds ZIP archives, in memory or streamed from files, for the executable writer
// and for tests that craft archives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oru::tools {

enum class ZipMethod : uint16_t { kStored = 0, kDeflated = 8 };

// Whether an entry's CRC and sizes follow its data in a descriptor (flag bit 3, zeros
// in the local header), and whether that descriptor starts with its signature.
enum class ZipDescriptor { kNone, kSigned, kUnsigned };

// Knobs for crafting archives that tests need: flags and descriptors per entry.
struct ZipEntryOptions {
    uint16_t flags = 0;  // general-purpose flags in both headers (bit 3 follows descriptor)
    ZipDescriptor descriptor = ZipDescriptor::kNone;
    // A name that is not ASCII is marked as UTF-8 (flag bit 11), as jar tools write it;
    // false leaves it unmarked, in whatever encoding its bytes are.
    bool markUtf8 = true;
};

// Where finish put each record, so that tests can alter fields in place afterwards.
struct ZipLayout {
    std::vector<uint32_t> localOffsets;    // per entry, in the order added
    std::vector<uint32_t> dataOffsets;     // first byte of each entry's stored data
    std::vector<uint32_t> centralOffsets;  // each entry's central record
    uint32_t centralDirectoryOffset = 0;
    uint32_t endRecordOffset = 0;
};

// Where an archive's bytes go as they are written.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False with a one-line reason in `error` when the bytes could not all be written.
    virtual bool write(const char* bytes, size_t count, std::string& error) = 0;
};

// The bounds of an archive without ZIP64 records: the archive appended to an executable
// stays one, whatever the jars inside it are.
constexpr uint32_t kLargestEntryCount = 0xFFFF;
constexpr uint32_t kLargestNameLength = 0xFFFF;
constexpr uint64_t kLargestArchive = 0xFFFFFFFF;
// 1980-01-01 00:00, the earliest MS-DOS time: the same bytes at every run.
constexpr uint32_t kZipEpoch = 0x21u << 16;

class ZipWriter {
public:
    // Adds an entry; names use "/" as the ZIP format wants. A name ending in "/" is a
    // directory entry.
    void add(const std::string& name, const std::string& data,
             ZipMethod method = ZipMethod::kDeflated, const ZipEntryOptions& options = {});
    // Adds the file at `path` as the entry `name`. Its checksum and sizes are taken now,
    // in one pass that keeps nothing in memory (a deflated entry is compressed and
    // counted); its bytes are read again when the archive is written. False with a
    // one-line reason in `error` when it is not a regular file of at most 4 GiB - 1 bytes.
    bool addFile(const std::string& name, const std::string& path, ZipMethod method,
                 std::string& error);
    // The archive bytes: local records, central directory, end record with `comment`.
    // Offsets count from the archive's first byte. With `layout`, records where each
    // record went; with `reverseCentral`, writes the central records in reverse order.
    // Throws std::runtime_error when the archive cannot be made (see write).
    std::string finish(const std::string& comment = std::string(), ZipLayout* layout = nullptr,
                       bool reverseCentral = false) const;
    // Writes the same bytes as finish to `out`, file entries streamed through a bounded
    // buffer. False with a one-line reason in `error` when a name, the entry count or the
    // archive passes what ZIP records without ZIP64 hold, a file cannot be read or
    // changed since it was added, or `out` fails.
    bool write(ByteSink& out, const std::string& comment, std::string& error,
               ZipLayout* layout = nullptr, bool reverseCentral = false) const;
    // Whether the entries and `comment` fit ZIP records without ZIP64: false with one line
    // in `error` otherwise (write checks it too, before its first byte).
    bool fits(const std::string& comment, std::string& error) const;
    // The number of bytes write produces with `comment`.
    uint64_t archiveSize(const std::string& comment) const;

    struct Entry {
        std::string name;
        std::string stored;  // the bytes as written (compressed or not)
        uint32_t crc = 0;
        uint32_t size = 0;
        ZipMethod method = ZipMethod::kStored;
        // Last modification as MS-DOS stores it, date in the high half: 1980-01-01 00:00
        // unless the entry keeps a jar entry's own.
        uint32_t dosTime = kZipEpoch;
        ZipEntryOptions options;
        std::string localExtra;      // extra field of the local header only
        std::string centralComment;  // comment of the central record
        // A file entry: its bytes are read from `path` when written, `stored` is empty and
        // `storedSize` counts what is written (compressed or not).
        std::string path;
        uint64_t storedSize = 0;
    };
    // Adds an entry exactly as given: its stored bytes, CRC and size are not checked.
    void addRaw(const Entry& entry) { entries_.push_back(entry); }
    const std::vector<Entry>& entries() const { return entries_; }
    // Gives the entry added last an extra field in its local header (the central record
    // keeps none). Needs an entry.
    void setLocalExtra(const std::string& extra) { entries_.back().localExtra = extra; }
    // Gives the entry added last a comment in its central record. Needs an entry.
    void setCentralComment(const std::string& comment) { entries_.back().centralComment = comment; }

private:
    std::vector<Entry> entries_;
};

// Raw deflate (no zlib header) of `data` at the best compression.
std::string deflateRaw(const std::string& data);

}  // namespace oru::tools
