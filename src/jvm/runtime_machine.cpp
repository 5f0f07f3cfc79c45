// What a runtime library file is to the loader, from its PE or ELF headers: its pointer
// width, and whether it is whole (an interrupted update leaves empty or cut files).
#include "archive/header_reader.h"
#include "archive/pe_layout.h"
#include "jvm/runtime_discovery.h"
#include "platform/files.h"

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
int bitsOf(const Machine (&machines)[N], uint16_t code) {
    for (const Machine& machine : machines)
        if (machine.code == code) return machine.bits;
    return 0;
}

// Whether `count` bytes at `offset` lie in the file; a bound past 4 GiB never does.
bool within(const HeaderReader& in, uint32_t offsetHigh, uint32_t offset, uint32_t countHigh,
            uint32_t count) {
    return offsetHigh == 0 && countHigh == 0 && in.bytes(offset, nullptr, count);
}

bool isWholePe(const HeaderReader& in, int bits) {
    PeHeaders headers;
    uint16_t sections = 0;
    if (!pe::readHeaders(in, headers) ||
        headers.magic != (bits == 32 ? pe::kPe32 : pe::kPe32Plus) ||
        !in.u16(headers.signature + pe::kSectionCountField, sections) || sections == 0)
        return false;
    uint64_t header = headers.optional + headers.optionalSize;
    for (int i = 0; i < sections; ++i, header += pe::kSectionHeaderSize) {
        uint32_t size = 0;
        uint32_t pointer = 0;
        if (!in.bytes(header, nullptr, pe::kSectionHeaderSize) ||
            !in.u32(header + pe::kSectionRawSizeField, size) ||
            !in.u32(header + pe::kSectionRawPointerField, pointer) ||
            (size != 0 && !in.bytes(pointer, nullptr, size)))
            return false;
    }
    return true;
}

// ELF's 32-bit and 64-bit forms differ in where the fields lie and how wide they are;
// the high halves of 64-bit fields are read as separate words.
struct ElfForm {
    uint8_t phoff, phentsize, phnum, entrySize, pOffset, pFilesz, wide;
};
constexpr ElfForm kElf32 = {0x1c, 0x2a, 0x2c, 32, 4, 16, 0};
constexpr ElfForm kElf64 = {0x20, 0x36, 0x38, 56, 8, 32, 4};

bool isWholeElf(const HeaderReader& in, int bits) {
    const ElfForm& form = bits == 32 ? kElf32 : kElf64;
    unsigned char ident[8];
    uint16_t type = 0, machine = 0, entrySize = 0, entries = 0;
    uint32_t table = 0, tableHigh = 0;
    if (!in.bytes(0, ident, sizeof ident) || ident[5] != 1 || ident[6] != 1 ||  // LSB, v1
        !in.u16(16, type) || type != 3 || !in.u16(18, machine) ||               // ET_DYN
        bitsOf(kElfMachines, machine) != bits || !in.u32(form.phoff, table) ||
        (form.wide && !in.u32(form.phoff + 4u, tableHigh)) || !in.u16(form.phentsize, entrySize) ||
        entrySize != form.entrySize || !in.u16(form.phnum, entries) || entries == 0 ||
        entries == 0xffff || !within(in, tableHigh, table, 0, uint32_t{entries} * entrySize))
        return false;
    for (uint64_t entry = table; entries > 0; --entries, entry += entrySize) {
        uint32_t kind = 0, offset = 0, offsetHigh = 0, size = 0, sizeHigh = 0;
        if (!in.u32(entry, kind) || !in.u32(entry + form.pOffset, offset) ||
            (form.wide && !in.u32(entry + form.pOffset + 4, offsetHigh)) ||
            !in.u32(entry + form.pFilesz, size) ||
            (form.wide && !in.u32(entry + form.pFilesz + 4, sizeHigh)))
            return false;
        if (kind == 1 && !within(in, offsetHigh, offset, sizeHigh, size)) return false;  // PT_LOAD
    }
    return true;
}

}  // namespace

LibraryImage inspectLibrary(const NarrowString& path) {
    LibraryImage image;
    platform::ReadOnlyFile file;
    uint32_t size = 0;
    if (!file.open(path.c_str()) || !file.size(size)) return image;
    CZipFileSliceSource source;
    source.attach(&file, 0, size);
    const HeaderReader in(source);
    unsigned char magic[5];
    uint32_t signature = 0;
    uint16_t machine = 0;
    if (in.bytes(0, magic, sizeof magic) && magic[0] == 0x7f && magic[1] == 'E' &&
        magic[2] == 'L' && magic[3] == 'F') {
        image.bits = magic[4] == 1 ? 32 : magic[4] == 2 ? 64 : 0;
        image.loadable = image.bits != 0 && isWholeElf(in, image.bits);
    } else if (pe::readSignature(in, signature) &&
               in.u16(uint64_t{signature} + pe::kMachineField, machine)) {
        image.bits = bitsOf(kPeMachines, machine);
        image.loadable = image.bits != 0 && isWholePe(in, image.bits);
    }
    return image;
}

}  // namespace oru
