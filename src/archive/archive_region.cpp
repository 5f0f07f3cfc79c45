// Finding where a signed executable's certificate table begins, from its PE headers.
#include "archive/archive_region.h"

#include "archive/byte_cursor.h"
#include "archive/zip_source.h"

namespace oru {

namespace {

constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint32_t kCertificateHeaderSize = 8;
constexpr uint16_t kSubsystemEnd = 70;  // the subsystem field ends 70 bytes into the header

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

bool readPeHeaders(const HeaderReader& in, PeHeaders& out) {
    uint16_t mz = 0;
    uint32_t peOffset = 0;
    uint32_t signature = 0;
    if (!in.u16(0, mz) || mz != 0x5A4D || !in.u32(0x3C, peOffset) ||
        !in.u32(peOffset, signature) || signature != 0x00004550 ||
        !in.u16(uint64_t{peOffset} + 20, out.optionalSize))
        return false;
    out.optional = uint64_t{peOffset} + 24;
    return in.u16(out.optional, out.magic) && (out.magic == kPe32 || out.magic == kPe32Plus) &&
           out.optionalSize >= kSubsystemEnd &&
           in.bytes(out.optional, nullptr, kSubsystemEnd);
}

// The security directory's file offset and size, and where the headers end; false when
// the file is no PE executable or has no such entry.
bool securityDirectory(const HeaderReader& in, uint32_t& offset, uint32_t& size,
                       uint64_t& headersEnd) {
    PeHeaders pe;
    if (!readPeHeaders(in, pe)) return false;
    const uint64_t countAt = pe.optional + (pe.magic == kPe32 ? 92 : 108);
    const uint64_t directories = countAt + 4;
    const uint64_t entry = directories + kSecurityDirectory * 8;
    uint32_t count = 0;
    if (entry + 8 > pe.optional + pe.optionalSize || !in.u32(countAt, count) ||
        count <= kSecurityDirectory)
        return false;
    headersEnd = pe.optional + pe.optionalSize;
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
           length <= size && (revision == 0x0100 || revision == 0x0200) && type >= 1 &&
           type <= 4;
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
    return readPeHeaders(HeaderReader(source), out);
}

bool findPeHeaders(const unsigned char* bytes, uint64_t size, PeHeaders& out) {
    if (!bytes || size > UINT32_MAX) return false;
    CZipMemorySource source;
    source.attach(bytes, static_cast<uint32_t>(size));
    return findPeHeaders(source, out);
}

ArchiveRegion findArchiveRegion(const platform::ReadOnlyFile& file, uint64_t size) {
    CZipFileSliceSource whole;
    whole.attach(&file, 0, static_cast<uint32_t>(size));
    return findArchiveRegion(whole);
}

ArchiveRegion findArchiveRegion(const unsigned char* bytes, uint64_t size) {
    if (!bytes) return ArchiveRegion{};
    if (size > UINT32_MAX) return ArchiveRegion{size, 0};
    CZipMemorySource source;
    source.attach(bytes, static_cast<uint32_t>(size));
    return findArchiveRegion(source);
}

}  // namespace oru
