// Finding where a signed executable's certificate table begins, from its PE headers.
#include "archive/archive_region.h"

#include "archive/pe_layout.h"
#include "archive/zip_source.h"
#include "support/little_endian.h"

namespace oru {

namespace {

constexpr uint32_t kCertificateHeaderSize = 8;

class HeaderReader {
public:
    explicit HeaderReader(const CZipSource& source) : source_(source), size_(source.length()) {}

    bool u16(uint64_t offset, uint16_t& value) const {
        unsigned char b[2];
        if (!bytes(offset, b, 2)) return false;
        value = readU16(b);
        return true;
    }
    bool u32(uint64_t offset, uint32_t& value) const {
        unsigned char b[4];
        if (!bytes(offset, b, 4)) return false;
        value = readU32(b);
        return true;
    }
    // A null `out` only checks that the bytes are there.
    bool bytes(uint64_t offset, void* out, uint32_t count) const {
        return offset <= size_ && count <= size_ - offset &&
               (!out || source_.readAt(offset, out, count));
    }

private:
    const CZipSource& source_;
    uint64_t size_;
};

// The security directory's file offset and size, and where the headers end; false when
// the file is no PE executable or has no such entry.
bool securityDirectory(const HeaderReader& in, uint32_t& offset, uint32_t& size,
                       uint64_t& headersEnd) {
    PeHeaders headers;
    if (!pe::readHeaders(in, headers)) return false;
    const uint64_t directories = headers.optional + pe::directoriesOffset(headers.magic);
    const uint64_t countAt = directories - pe::kDirectoryCountSize;
    const uint64_t entry = directories + pe::kSecurityDirectory * pe::kDirectoryEntrySize;
    uint32_t count = 0;
    if (entry + pe::kDirectoryEntrySize > headers.optional + headers.optionalSize ||
        !in.u32(countAt, count) || count <= pe::kSecurityDirectory)
        return false;
    headersEnd = headers.optional + headers.optionalSize;
    return in.u32(entry, offset) && in.u32(entry + 4, size);
}

// Whether a well-formed certificate table of `size` bytes starts at `offset` and ends
// the file.
bool certificateTableEndsFile(const HeaderReader& in, uint64_t fileSize, uint32_t offset,
                              uint32_t size, uint64_t headersEnd) {
    if (size < kCertificateHeaderSize || offset % 8 != 0 || offset < headersEnd ||
        uint64_t{offset} + size != fileSize)
        return false;
    uint32_t length = 0;
    uint16_t revision = 0;
    uint16_t type = 0;
    return in.u32(offset, length) && in.u16(uint64_t{offset} + 4, revision) &&
           in.u16(uint64_t{offset} + 6, type) && length >= kCertificateHeaderSize &&
           length <= size && (revision == 0x0100 || revision == 0x0200) && type >= 1 && type <= 4;
}

// Bytes in memory as a source; false when 4 GiB or more of them cannot be one.
bool attachMemory(CZipMemorySource& source, const unsigned char* bytes, uint64_t size) {
    if (!bytes || size > UINT32_MAX) return false;
    source.attach(bytes, static_cast<uint32_t>(size));
    return true;
}

}  // namespace

ArchiveRegion findArchiveRegion(const CZipSource& source) {
    const uint64_t fileSize = source.length();
    ArchiveRegion region;
    region.length = fileSize;
    HeaderReader in(source);
    uint32_t offset = 0;
    uint32_t size = 0;
    uint64_t headersEnd = 0;
    if (!securityDirectory(in, offset, size, headersEnd) || (offset == 0 && size == 0) ||
        !certificateTableEndsFile(in, fileSize, offset, size, headersEnd))
        return region;
    region.length = offset;
    unsigned char before[7];
    const uint32_t span = offset < 7 ? offset : 7;
    if (in.bytes(offset - span, before, span))
        while (region.padding < span && before[span - 1 - region.padding] == 0) ++region.padding;
    return region;
}

bool findPeHeaders(const CZipSource& source, PeHeaders& out) {
    return pe::readHeaders(HeaderReader(source), out);
}

bool findPeHeaders(const unsigned char* bytes, uint64_t size, PeHeaders& out) {
    CZipMemorySource source;
    return attachMemory(source, bytes, size) && findPeHeaders(source, out);
}

bool hasPeSignature(const unsigned char* bytes, uint64_t size) {
    CZipMemorySource source;
    uint32_t offset = 0;
    return attachMemory(source, bytes, size) && pe::readSignature(HeaderReader(source), offset);
}

ArchiveRegion findArchiveRegion(const platform::ReadOnlyFile& file, uint64_t size) {
    if (size > UINT32_MAX) return ArchiveRegion{size, 0};
    CZipFileSliceSource whole;
    whole.attach(&file, 0, static_cast<uint32_t>(size));
    return findArchiveRegion(whole);
}

ArchiveRegion findArchiveRegion(const unsigned char* bytes, uint64_t size) {
    if (!bytes) return ArchiveRegion{};
    CZipMemorySource source;
    if (!attachMemory(source, bytes, size)) return ArchiveRegion{size, 0};
    return findArchiveRegion(source);
}

}  // namespace oru
