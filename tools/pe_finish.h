// The last touches to a packed Windows executable: its subsystem and its checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "zip_writer.h"

namespace oru::tools {

// Makes the PE executable `file` a console program (subsystem 3); false when it is no PE
// executable.
bool makeConsoleProgram(std::string& file);

// Where the optional header's CheckSum lies in the PE executable `file`; false when it is
// no PE executable.
bool peChecksumField(const std::string& file, size_t& field);

// The CheckSum of the bytes written to it in order, as Windows' CheckSumMappedFile
// computes it over a file: 16-bit little-endian words added with end-around carry (an
// odd last byte is a word of its own), then the file's length. The CheckSum field itself
// must be written as zeros.
class PeChecksum : public ByteSink {
public:
    bool write(const char* bytes, size_t count, std::string& error) override;
    uint32_t value() const;

private:
    void add(uint32_t word) {
        sum_ += word;
        sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
    }
    uint32_t sum_ = 0;
    uint32_t pending_ = 0;  // the low byte of a word whose high byte is still to come
    uint64_t length_ = 0;
};

}  // namespace oru::tools
