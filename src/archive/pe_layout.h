// Where the fields of a PE executable's headers lie: the one description that the
// launcher's archive-region reader and oru-pack's resource and checksum writers share.
#pragma once

#include <cstdint>

namespace oru::pe {

// The MS-DOS header: its signature and the field that points at the PE signature.
constexpr uint16_t kMzSignature = 0x5A4D;  // "MZ"
constexpr uint32_t kPeSignatureField = 0x3C;

// From the PE signature ("PE\0\0"): the file header's fields, then the optional header.
constexpr uint32_t kPeSignature = 0x00004550;
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

}  // namespace oru::pe
