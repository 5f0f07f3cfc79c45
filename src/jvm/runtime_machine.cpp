// What a runtime library file is to the loader, from its PE or ELF headers: its pointer
// width, and whether it is whole (an interrupted update leaves empty or cut files).
#include "archive/pe_layout.h"
#include "jvm/runtime_discovery.h"
#include "platform/files.h"
#include "platform_limits.h"  // kLibrariesArePe of the backend in use
#include "support/little_endian.h"

namespace oru {

namespace {

// The machines whose libraries the launcher knows, with their pointer widths.
struct Machine {
    uint16_t code;
    uint8_t bits;
};
constexpr Machine kPeMachines[] = {{0x014c, 32}, {0x8664, 64}, {0xaa64, 64}};
constexpr Machine kElfMachines[] = {{3, 32}, {40, 32}, {62, 64}, {183, 64}};  // x86, ARM

template <size_t N>
int bitsOf(const Machine (&machines)[N], uint32_t code) {
    for (const Machine& machine : machines)
        if (machine.code == code) return machine.bits;
    return 0;
}

// The start of a library file, where a loader finds every header it needs before it maps
// anything (the ELF header and program headers, the PE headers and section table), and
// the size of the whole file. 3 KiB hold the headers of a PE image of 60 sections.
struct Headers {
    unsigned char bytes[3072];
    uint32_t read = 0;
    uint32_t size = 0;
    bool inHead(uint32_t at, uint32_t count) const { return at <= read && count <= read - at; }
    bool inFile(uint32_t at, uint32_t count) const { return at <= size && count <= size - at; }
};

// PE: the optional header of the machine's width, and every section's data in the file.
bool isWholePe(const Headers& in, uint32_t signature, int bits) {
    const unsigned char* const b = in.bytes;
    const uint32_t optional = signature + pe::kOptionalHeader;
    const uint32_t table = optional + readU16(b + signature + pe::kOptionalSizeField);
    const uint32_t sections = readU16(b + signature + pe::kSectionCountField);
    if (readU16(b + optional) != (bits == 32 ? pe::kPe32 : pe::kPe32Plus) || sections == 0 ||
        !in.inHead(table, sections * pe::kSectionHeaderSize))
        return false;
    for (const unsigned char* at = b + table; at < b + table + sections * pe::kSectionHeaderSize;
         at += pe::kSectionHeaderSize) {
        const uint32_t size = readU32(at + pe::kSectionRawSizeField);
        if (size != 0 && !in.inFile(readU32(at + pe::kSectionRawPointerField), size)) return false;
    }
    return true;
}

// ELF: little-endian, a shared object of a machine of that width, and every loaded
// segment in the file. The 64-bit form's fields lie elsewhere and are twice as wide: a
// high half that is not 0 reaches past any file this reads.
bool isWholeElf(const Headers& in, int bits) {
    const unsigned char* const b = in.bytes;
    const bool wide = bits == 64;
    const uint32_t table = readU32(b + (wide ? 0x20 : 0x1c));
    const uint32_t entrySize = wide ? 56 : 32;
    const uint32_t entries = readU16(b + (wide ? 0x38 : 0x2c));
    if (readU16(b + 5) != 0x0101 || readU16(b + 16) != 3 /* ET_DYN */ ||
        bitsOf(kElfMachines, readU16(b + 18)) != bits || (wide && readU32(b + 0x24) != 0) ||
        readU16(b + (wide ? 0x36 : 0x2a)) != entrySize || entries == 0 ||
        !in.inHead(table, entries * entrySize))
        return false;
    for (const unsigned char* at = b + table; at < b + table + entries * entrySize;
         at += entrySize) {
        const bool high = wide && (readU32(at + 12) != 0 || readU32(at + 36) != 0);
        if (readU32(at) == 1 /* PT_LOAD */ &&
            (high || !in.inFile(readU32(at + (wide ? 8 : 4)), readU32(at + (wide ? 32 : 16)))))
            return false;
    }
    return true;
}

// A PE image: MZ, the signature, then the machine and the rest of the headers.
void inspectPe(const Headers& in, LibraryImage& image) {
    const unsigned char* const b = in.bytes;
    // The signature, the file header and the optional header's magic.
    const uint32_t signature = readU32(b + pe::kPeSignatureField);
    if (readU16(b) != pe::kMzSignature || !in.inHead(signature, pe::kOptionalHeader + 2) ||
        readU32(b + signature) != pe::kPeSignature)
        return;
    image.bits = bitsOf(kPeMachines, readU16(b + signature + pe::kMachineField));
    image.loadable = image.bits != 0 && isWholePe(in, signature, image.bits);
}

// An ELF file: the magic, then the class and the rest of the headers.
void inspectElf(const Headers& in, LibraryImage& image) {
    const unsigned char* const b = in.bytes;
    if (readU32(b) != 0x464c457f) return;  // "\x7fELF"
    image.bits = b[4] == 1 ? 32 : b[4] == 2 ? 64 : 0;
    image.loadable = image.bits != 0 && isWholeElf(in, image.bits);
}

}  // namespace

LibraryImage inspectLibrary(const NarrowString& path) {
    Headers in;
    LibraryImage image;
    platform::ReadOnlyFile file;
    image.found = file.open(path.c_str());
    if (!image.found || !file.size(in.size)) return image;
    const int got = file.readAt(0, in.bytes, sizeof in.bytes);
    in.read = got > 0 ? static_cast<uint32_t>(got) : 0;
    // Both ELF headers (52 and 64 bytes) and the MS-DOS header (64) fill the first 64
    // bytes. A launcher carries the checks of its own system's format only.
    if (in.read >= 64) (platform::kLibrariesArePe ? inspectPe : inspectElf)(in, image);
    return image;
}

}  // namespace oru
