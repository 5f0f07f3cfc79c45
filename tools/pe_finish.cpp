// The subsystem and checksum fields of a packed Windows executable.
#include "pe_finish.h"

#include "archive/archive_region.h"
#include "archive/pe_layout.h"
#include "support/little_endian.h"

namespace oru::tools {

namespace {

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
    set16(file, optional + pe::kSubsystemField, pe::kConsoleSubsystem);
    return true;
}

bool peChecksumField(const std::string& file, size_t& field) {
    size_t optional = 0;
    if (!optionalHeader(file, optional)) return false;
    field = optional + pe::kChecksumField;
    return true;
}

bool PeChecksum::write(const char* bytes, size_t count, std::string&) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t byte = static_cast<uint8_t>(bytes[i]);
        if (length_++ % 2 == 0)
            pending_ = byte;
        else
            add(pending_ | byte << 8);
    }
    return true;
}

uint32_t PeChecksum::value() const {
    PeChecksum last = *this;
    if (length_ % 2 != 0) last.add(pending_);
    return static_cast<uint32_t>(last.sum_ + length_);
}

}  // namespace oru::tools
