// EntryStream: one entry's bytes delivered as the caller reads, through a bounded buffer.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "archive/zip_entry.h"
#include "archive/zlib_blocks.h"

namespace oru {

class CZipSource;

// Reads an entry's data with positioned reads of its source only (never the source's
// position), so any number of streams, of one entry or of many, may read one source from
// different threads at once, each stream from one thread at a time. A stored entry is
// copied as it lies; a deflated one is inflated as the caller asks. What one stream holds
// is bounded whatever the entry's size: kInputSize bytes of input and the inflater's
// state. The checksum is checked when the last byte has been delivered; damage makes
// read fail, never deliver more than the entry declares.
class EntryStream {
public:
    // As the JDK reads a large deflated entry: input in pieces of a few KiB.
    static constexpr uint32_t kInputSize = 16 * 1024;

    EntryStream() = default;
    EntryStream(const EntryStream&) = delete;
    EntryStream& operator=(const EntryStream&) = delete;
    ~EntryStream();

    // Reads `entry`, whose data starts at `position` of `source` (its local header
    // checked by the caller); the source must outlive the stream. False when the buffer
    // or the inflater cannot be made.
    bool start(const CZipSource& source, uint64_t position, const CZipEntry& entry);
    // Copies up to `count` bytes into `out`: how many, 0 once the whole entry was
    // delivered and its checksum matched, -1 when the data is damaged (truncated, a
    // broken deflate stream, a checksum mismatch). After -1 every read fails.
    int read(unsigned char* out, uint32_t count);
    // Bytes of the entry not delivered yet.
    uint32_t remaining() const { return uncompressedLeft_; }

private:
    // Refills the input buffer from the source; false when the source falls short.
    bool refill();
    int fail();
    // The checksum and a stream that ended with the entry; 0 or -1 as read answers.
    int finish();

    const CZipSource* source_ = nullptr;
    std::unique_ptr<unsigned char[]> buffer_;
    z_stream inflater_{};
    ZlibBlockList zlibBlocks_;
    bool inflating_ = false;
    bool failed_ = false;
    bool dummyOffered_ = false;
    uint8_t method_ = 0;
    uint64_t next_ = 0;  // position of the next unread compressed byte in the source
    uint32_t compressedLeft_ = 0;
    uint32_t uncompressedLeft_ = 0;
    uint32_t expectedCrc_ = 0;
    uint32_t crc_ = 0;
};

}  // namespace oru
