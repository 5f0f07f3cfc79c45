// EntryStream: stored bytes copied where they lie, deflated ones inflated chunk by chunk.
#include "archive/entry_stream.h"

#include <algorithm>
#include <new>

#include "archive/checksum.h"
#include "archive/zip_source.h"

namespace oru {

EntryStream::~EntryStream() {
    if (inflating_) inflateEnd(&inflater_);
}

bool EntryStream::start(const CZipSource& source, uint64_t position, const CZipEntry& entry) {
    source_ = &source;
    method_ = static_cast<uint8_t>(entry.method);
    next_ = position;
    compressedLeft_ = entry.compressedSize;
    uncompressedLeft_ = entry.uncompressedSize;
    expectedCrc_ = entry.crc32;
    if (method_ == 0) return true;
    // Only a deflated entry needs input of its own: stored bytes go straight to the caller.
    buffer_.reset(new (std::nothrow) unsigned char[kInputSize]);
    if (!buffer_) return false;
    zlibBlocks_.attach(inflater_);
    inflating_ = inflateInit2(&inflater_, -15) == Z_OK;
    return inflating_;
}

bool EntryStream::refill() {
    const uint32_t n = std::min(kInputSize, compressedLeft_);
    if (n == 0) {
        // Raw inflate may want one byte past the data to see the end of the stream; it
        // gets one such byte, as whole-entry extraction gives it.
        if (dummyOffered_) return false;
        dummyOffered_ = true;
        buffer_[0] = 0;
    } else if (!source_->readAt(next_, buffer_.get(), n)) {
        return false;
    }
    next_ += n;
    compressedLeft_ -= n;
    inflater_.next_in = buffer_.get();
    inflater_.avail_in = std::max(n, 1u);
    return true;
}

int EntryStream::fail() {
    failed_ = true;
    return -1;
}

int EntryStream::finish() { return crc_ == expectedCrc_ ? 0 : fail(); }

int EntryStream::read(unsigned char* out, uint32_t count) {
    if (failed_ || !source_) return -1;
    const uint32_t space = std::min(count, uncompressedLeft_);
    if (uncompressedLeft_ == 0) return finish();
    if (space == 0) return 0;
    uint32_t produced = 0;
    if (method_ == 0) {
        if (space > compressedLeft_ || !source_->readAt(next_, out, space)) return fail();
        next_ += space;
        compressedLeft_ -= space;
        produced = space;
    } else {
        // The output window never exceeds what the entry declares is left, so a stream
        // that inflates to more cannot write past it.
        inflater_.next_out = out;
        inflater_.avail_out = space;
        while (inflater_.avail_out == space) {
            if (inflater_.avail_in == 0 && !refill()) return fail();
            const int result = inflate(&inflater_, Z_SYNC_FLUSH);
            if (result == Z_STREAM_END && inflater_.avail_out != 0) return fail();  // ended early
            if (result != Z_OK && result != Z_STREAM_END &&
                (result != Z_BUF_ERROR || inflater_.avail_in != 0))
                return fail();
        }
        produced = space - inflater_.avail_out;
    }
    crc_ = updateCrc32(crc_, out, produced);
    uncompressedLeft_ -= produced;
    // The last bytes are delivered only when they check: a caller that stops at the
    // entry's size never sees damaged data reported as whole.
    if (uncompressedLeft_ == 0 && finish() != 0) return -1;
    return static_cast<int>(produced);
}

}  // namespace oru
