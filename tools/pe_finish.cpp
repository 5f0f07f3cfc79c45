// The subsystem and checksum fields of a packed Windows executable.
#include "pe_finish.h"

#include "archive/archive_region.h"
#include "little_endian.h"

namespace oru::tools {

namespace {

constexpr size_t kChecksumField = 64;
constexpr size_t kSubsystemField = 68;
constexpr uint32_t kConsoleSubsystem = 3;

bool optionalHeader(const std::string& file, size_t& optional) {
    PeHeaders pe;
    if (!findPeHeaders(reinterpret_cast<const unsigned char*>(file.data()), file.size(), pe))
        return false;
    optional = static_cast<size_t>(pe.optional);
    return true;
}

}  // namespace

bool makeConsoleProgram(std::string& file) {
    size_t optional = 0;
    if (!optionalHeader(file, optional)) return false;
    set16(file, optional + kSubsystemField, kConsoleSubsystem);
    return true;
}

void writePeChecksum(std::string& file) {
    size_t optional = 0;
    if (!optionalHeader(file, optional)) return;
    // 16-bit little-endian words added with end-around carry (an odd last byte is a
    // word of its own), the field itself counting as zero, then the file's length.
    const size_t field = optional + kChecksumField;
    set32(file, field, 0);
    uint32_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        sum += static_cast<uint8_t>(file[i]) |
               (i + 1 < file.size() ? static_cast<uint32_t>(static_cast<uint8_t>(file[i + 1])) << 8
                                    : 0u);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    set32(file, field, static_cast<uint32_t>(sum + file.size()));
}

}  // namespace oru::tools
