// Archive members streamed from their files through a bounded buffer: stored or deflated,
// measured before they are written and checked again while they are.
#pragma once

#include <cstdint>
#include <string>

#include "zip_writer.h"

namespace oru::tools {

// What a member's local header says before its data: checksum and both sizes.
struct MemberDigest {
    uint32_t crc = 0;
    uint32_t size = 0;
    uint64_t storedSize = 0;  // the bytes written: the deflate stream's, or `size`
};

// Reads the file at `path` once and fills `digest`; a deflated member is compressed and
// only counted. False with one line in `error` when the file is not a readable regular
// file of at most 4 GiB - 1 bytes, or its deflate stream would be larger than that.
bool measureMember(const std::string& path, ZipMethod method, MemberDigest& digest,
                   std::string& error);

// Writes the member's data to `out` as `method` gives it. False with one line in `error`
// when the file cannot be read, no longer matches `digest`, or `out` fails.
bool writeMember(const std::string& path, ZipMethod method, const MemberDigest& digest,
                 ByteSink& out, std::string& error);

}  // namespace oru::tools
