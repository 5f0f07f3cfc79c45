// JarReader: what oru-pack reads of a jar or of a packed executable's archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/zip_reader.h"
#include "archive/zip_source.h"

namespace oru::tools {

struct JarEntryInfo {
    std::string name;  // with "/" separators, as written in the archive
    uint32_t size = 0;
    uint32_t compressedSize = 0;
    bool deflated = false;
};

// Reads a ZIP archive held in memory (the bytes may have anything in front of them, as
// a packed executable does). The bytes must outlive the reader.
class JarReader {
public:
    // False when the bytes hold no readable ZIP archive.
    bool open(const std::string& bytes);
    // The same for the `size` bytes of an open file, read where they lie; the file must
    // outlive the reader.
    bool open(const platform::ReadOnlyFile& file, uint32_t size);
    std::vector<JarEntryInfo> entries() const;
    // The archive comment.
    const std::string& comment() const { return reader_.comment(); }
    // The whole content of the entry `name` ("/" separators); false when there is none,
    // it cannot be read or it holds more than `largest` bytes.
    bool read(const std::string& name, std::string& content, uint32_t largest = UINT32_MAX);

private:
    bool openSource(CZipSource& source);
    CZipMemorySource source_;
    CZipFileSliceSource fileSource_;
    CZipReader reader_;
};

// The value of the attribute `name` (in lower case, "class-path") of a jar manifest's
// main section, continuation lines joined and surrounding blanks trimmed; "" when there
// is none.
std::string manifestAttribute(const std::string& manifest, const std::string& name);
// The value of the "Main-Class" attribute of a jar manifest's main section, continuation
// lines joined; "" when there is none.
std::string manifestMainClass(const std::string& manifest);

}  // namespace oru::tools
