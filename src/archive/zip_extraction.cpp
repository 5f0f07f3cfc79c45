// CZipReader: extracting one entry (local header, stored or raw-deflated data, checks).
#include <algorithm>
#include <cstring>
#include <new>

#include "archive/byte_cursor.h"
#include "archive/checksum.h"
#include "archive/zip64.h"
#include "archive/zip_reader.h"
#include "archive/zip_records.h"

namespace oru {

bool CZipReader::openEntry(uint32_t index) {
    if (!isOpen() || index >= directory_.entries.size() || extracting_) return false;
    try {
        readBuffer_.reset(new unsigned char[kReadBufferSize]);
        CZipEntry& entry = directory_.entries[index];
        const uint64_t headerPosition =
            static_cast<uint64_t>(entry.localHeaderOffset) + directory_.bytesBeforeArchive;
        unsigned char header[kLocalHeaderSize];
        readExactly(headerPosition, header, kLocalHeaderSize);
        // The extra field first: a ZIP64 block in it may hold the header's sizes.
        const uint16_t localNameLength = readU16(header + 26);
        directory_.localExtra.resize(readU16(header + 28));
        readExactly(headerPosition + kLocalHeaderSize + localNameLength, &directory_.localExtra[0],
                    static_cast<uint32_t>(directory_.localExtra.size()));
        checkLocalHeader(header, entry, headerPosition);
        if (entry.method == 8) beginInflate();
        directory_.currentEntry = index;
        compressedLeft_ = entry.compressedSize;
        uncompressedLeft_ = entry.uncompressedSize;
        crc_ = 0;
        dummyOffered_ = false;
        stream_.total_out = 0;
        stream_.avail_in = 0;
        extracting_ = true;
        return true;
    } catch (const std::bad_alloc&) {
        endExtraction();
        throwZip(CZipException::zlibMemError);
    } catch (...) {
        endExtraction();
        throw;
    }
}

void CZipReader::checkLocalHeader(const unsigned char* header, CZipEntry& entry,
                                  uint64_t headerPosition) {
    if (readU32(header) != kLocalSignature) throwZip(CZipException::badArchive);
    const uint16_t localFlags = readU16(header + 6);
    // The local header governs when the low flag bits disagree (encryption, descriptor);
    // the name's encoding stays the directory's, which lookups read without a lock.
    if ((localFlags & 0xF) != (entry.flags & 0xF))
        entry.flags = static_cast<uint16_t>((localFlags & ~CZipEntry::kUtf8Name) |
                                            (entry.flags & CZipEntry::kUtf8Name));
    const uint16_t method = readU16(header + 8);
    if (method != entry.method || (method != 0 && method != 8)) throwZip(CZipException::badArchive);
    // Sizes that hold kZip64Value are in the extra field's ZIP64 block, both of them, and
    // the data descriptor then has 8-byte sizes.
    uint64_t compressed = readU32(header + 18);
    uint64_t uncompressed = readU32(header + 22);
    zip64Descriptor_ = compressed == kZip64Value || uncompressed == kZip64Value;
    ByteCursor block(nullptr, 0);
    const std::string& extra = directory_.localExtra;
    if (zip64Descriptor_ &&
        findZip64Block(reinterpret_cast<const unsigned char*>(extra.data()), extra.size(), block)) {
        if (const unsigned char* sizes = block.take(16)) {
            uncompressed = readU64(sizes);
            compressed = readU64(sizes + 8);
        }
    }
    if (!(localFlags & CZipEntry::kHasDescriptor) &&
        (readU32(header + 14) != entry.crc32 || compressed != entry.compressedSize ||
         uncompressed != entry.uncompressedSize))
        throwZip(CZipException::badArchive);
    // No password is ever supplied, so an encrypted entry cannot be read. Checked before
    // the sizes: encryption adds a 12-byte header, so a stored entry's sizes differ.
    if (entry.flags & CZipEntry::kEncrypted) throwZip(CZipException::badPassword);
    // The data must end before the next entry's local header: local name and extra
    // lengths are never checked against the central record, so without this bound one
    // block of data could serve many entries (a small archive inflating without end).
    // Its sizes must also be possible for its method.
    const auto index = static_cast<uint32_t>(&entry - directory_.entries.data());
    const uint64_t dataStart =
        headerPosition + kLocalHeaderSize + readU16(header + 26) + readU16(header + 28);
    dataEnd_ = dataStart + entry.compressedSize;
    if (dataEnd_ > dataLimit(index) || !entrySizesPlausible(index))
        throwZip(CZipException::badArchive);
}

void CZipReader::beginInflate() {
    stream_ = z_stream{};
    zlibBlocks_.attach(stream_);
    int result = inflateInit2(&stream_, -15);
    if (result != Z_OK) {
        zlibBlocks_.releaseAll();
        throwZip(CZipException::fromZlib(result));
    }
    inflating_ = true;
}

uint32_t CZipReader::feedInput() {
    uint32_t n = std::min(kReadBufferSize, compressedLeft_);
    if (n == 0) {
        // Raw inflate may want one byte past the data to see the end of the stream. It
        // gets one such byte per entry; needing more means the data is truncated.
        if (dummyOffered_ || !inflating_) throwZip(CZipException::badArchive);
        dummyOffered_ = true;
        readBuffer_[0] = 0;
        stream_.next_in = readBuffer_.get();
        stream_.avail_in = 1;
        return 1;
    }
    if (source_->read(readBuffer_.get(), n) != n) throwZip(CZipException::badArchive);
    compressedLeft_ -= n;
    stream_.next_in = readBuffer_.get();
    stream_.avail_in = n;
    return n;
}

uint32_t CZipReader::readData(void* buffer, uint32_t size) {
    if (!extracting_ || !buffer || size == 0) return 0;
    const CZipEntry& entry = directory_.entries[directory_.currentEntry];
    auto* out = static_cast<unsigned char*>(buffer);
    uint32_t space = std::min(size, uncompressedLeft_);
    uint32_t count = 0;
    const bool force = space == 0 && compressedLeft_ > 0;
    // The source position is only trusted within one call: seek to where this entry's
    // unread data starts, so reads of other entries in between do no harm.
    source_->seek(static_cast<int64_t>(dataEnd_ - compressedLeft_), SeekOrigin::kBegin);
    while (space > 0 || (force && compressedLeft_ > 0)) {
        if (stream_.avail_in == 0) feedInput();
        uint32_t produced;
        bool ended = false;
        if (entry.method == 0) {
            produced = std::min(space, static_cast<uint32_t>(stream_.avail_in));
            std::memcpy(out, stream_.next_in, produced);
            stream_.next_in += produced;
            stream_.avail_in -= static_cast<uInt>(produced);
        } else {
            // The output window never exceeds what the record declares is left, so a
            // stream that inflates to more than that cannot write past the buffer.
            stream_.next_out = out;
            stream_.avail_out = space;
            int result = inflate(&stream_, Z_SYNC_FLUSH);
            produced = space - stream_.avail_out;
            if (result != Z_OK && result != Z_STREAM_END) throwZip(CZipException::fromZlib(result));
            ended = result == Z_STREAM_END;
        }
        crc_ = updateCrc32(crc_, out, produced);
        uncompressedLeft_ -= produced;
        out += produced;
        space -= produced;
        count += produced;
        if (ended) break;
    }
    return count;
}

}  // namespace oru

namespace oru {

int CZipReader::closeEntry(bool afterError) {
    if (!extracting_) return 0;
    int result = 1;
    if (!afterError) {
        const CZipEntry& entry = directory_.entries[directory_.currentEntry];
        if (uncompressedLeft_ > 0)
            result = -1;
        else if (crc_ != entry.crc32)
            throwZip(CZipException::badCrc);
        if (entry.flags & CZipEntry::kHasDescriptor) checkDescriptor(entry);
    }
    endExtraction();
    return result;
}

uint64_t CZipReader::openEntryDataPosition() const {
    if (!extracting_) return 0;
    return dataEnd_ - directory_.entries[directory_.currentEntry].compressedSize;
}

void CZipReader::checkDescriptor(const CZipEntry& entry) {
    // Read where the compressed data ends, whatever part of it inflate needed: an empty
    // entry reads nothing, and a stream may end before its last compressed bytes. After
    // the optional signature come the CRC and both sizes, 8 bytes each for an entry whose
    // local header has ZIP64 sizes, 4 otherwise. The central directory after the data
    // always holds the bytes read past a short descriptor.
    unsigned char bytes[4 + 4 + 2 * 8];
    readExactly(dataEnd_, bytes, sizeof bytes);
    const unsigned char* fields = bytes + (readU32(bytes) == kDescriptorSignature ? 4 : 0);
    const unsigned char* sizes = fields + 4;
    const uint64_t compressed = zip64Descriptor_ ? readU64(sizes) : readU32(sizes);
    const uint64_t uncompressed = zip64Descriptor_ ? readU64(sizes + 8) : readU32(sizes + 4);
    if (readU32(fields) != entry.crc32 || compressed != entry.compressedSize ||
        uncompressed != entry.uncompressedSize)
        throwZip(CZipException::badArchive);
}

void CZipReader::endExtraction() {
    if (inflating_) inflateEnd(&stream_);
    inflating_ = false;
    stream_ = z_stream{};
    zlibBlocks_.releaseAll();
    readBuffer_.reset();
    directory_.localExtra.clear();
    directory_.localExtra.shrink_to_fit();
    directory_.currentEntry = -1;
    extracting_ = false;
}

}  // namespace oru
