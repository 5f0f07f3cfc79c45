// Where the fields of a PE executable's headers lie, and the walk that finds them: the
// one description that the launcher's archive-region reader and oru-pack's resource and
// checksum writers share.
#pragma once

#include <cstdint>

namespace oru {

// Where a PE executable's headers lie: the PE signature, the optional header's offset,
// size and magic (pe::kPe32 or pe::kPe32Plus).
struct PeHeaders {
    uint64_t signature = 0;
    uint64_t optional = 0;
    uint16_t optionalSize = 0;
    uint16_t magic = 0;
};

namespace pe {

// The MS-DOS header: its signature and the field that points at the PE signature.
constexpr uint16_t kMzSignature = 0x5A4D;  // "MZ"
constexpr uint32_t kPeSignatureField = 0x3C;

// From the PE signature ("PE\0\0"): the file header's fields, then the optional header.
constexpr uint32_t kPeSignature = 0x00004550;
constexpr uint32_t kMachineField = 4;
constexpr uint32_t kSectionCountField = 6;
constexpr uint32_t kOptionalSizeField = 20;
constexpr uint32_t kOptionalHeader = 24;

// The optional header's magic, and its fields at the same place in PE32 and PE32+.
constexpr uint16_t kPe32 = 0x10B;
constexpr uint16_t kPe32Plus = 0x20B;
constexpr uint32_t kInitializedDataSizeField = 8;
constexpr uint32_t kSectionAlignmentField = 32;
constexpr uint32_t kFileAlignmentField = 36;
constexpr uint32_t kImageSizeField = 56;
constexpr uint32_t kChecksumField = 64;
constexpr uint32_t kSubsystemField = 68;
constexpr uint32_t kSubsystemEnd = 70;  // the subsystem field ends 70 bytes in
constexpr uint16_t kConsoleSubsystem = 3;

// Where the data directories start in an optional header of `magic`, 0 for neither
// form; the count of directories is the 32-bit field just before them.
constexpr uint32_t directoriesOffset(uint16_t magic) {
    return magic == kPe32 ? 96 : magic == kPe32Plus ? 112 : 0;
}
constexpr uint32_t kDirectoryCountSize = 4;
constexpr uint32_t kDirectoryEntrySize = 8;  // the address (RVA, or a file offset for
                                             // the security directory), then the size
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint32_t kRelocationDirectory = 5;

// The section headers follow the optional header.
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kSectionNameSize = 8;
constexpr uint32_t kSectionVirtualSizeField = 8;
constexpr uint32_t kSectionAddressField = 12;
constexpr uint32_t kSectionRawSizeField = 16;
constexpr uint32_t kSectionRawPointerField = 20;

// The walks read through `in`, whose u16(offset, value), u32(offset, value) and
// bytes(offset, nullptr, count) answer false where the file holds too few bytes.

// The PE signature that the MS-DOS header points at; false when either is missing.
template <typename Reader>
bool readSignature(const Reader& in, uint32_t& offset) {
    uint16_t mz = 0;
    uint32_t signature = 0;
    return in.u16(0, mz) && mz == kMzSignature && in.u32(kPeSignatureField, offset) &&
           in.u32(offset, signature) && signature == kPeSignature;
}

// The headers of a PE32 or PE32+ executable whose optional header reaches the subsystem
// field; false for any other file.
template <typename Reader>
bool readHeaders(const Reader& in, PeHeaders& out) {
    uint32_t signature = 0;
    if (!readSignature(in, signature) ||
        !in.u16(uint64_t{signature} + kOptionalSizeField, out.optionalSize))
        return false;
    out.signature = signature;
    out.optional = uint64_t{signature} + kOptionalHeader;
    return in.u16(out.optional, out.magic) && directoriesOffset(out.magic) != 0 &&
           out.optionalSize >= kSubsystemEnd && in.bytes(out.optional, nullptr, kSubsystemEnd);
}

}  // namespace pe

}  // namespace oru
