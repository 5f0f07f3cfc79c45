// JarReader: what oru-pack reads of a jar or of a packed executable's archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/manifest.h"
#include "archive/zip_reader.h"
#include "archive/zip_source.h"
#include "input_file.h"

namespace oru::tools {

struct JarEntryInfo {
    std::string name;  // with "/" separators, as written in the archive
    uint32_t size = 0;
    uint32_t compressedSize = 0;
    bool deflated = false;
    uint32_t dosTime = 0;  // as the entry's central record gives it
};

// An entry as its archive stores it: its data (deflated or not) and what describes it.
struct StoredEntry {
    std::string data;
    uint32_t crc = 0;
    uint32_t size = 0;  // uncompressed
    bool deflated = false;
    uint32_t dosTime = 0;  // as the entry's central record gives it
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
    // Opens the input file at `path` as InputFile does and reads its archive where it
    // lies. False with one line in `error` when the file cannot be read; false with
    // `error` empty when it holds no readable ZIP archive.
    bool openFile(const std::string& path, std::string& error);
    std::vector<JarEntryInfo> entries() const;
    // The archive comment.
    const std::string& comment() const { return reader_.comment(); }
    // The whole content of the entry `name` ("/" separators); false when there is none,
    // it cannot be read or it holds more than `largest` bytes.
    bool read(const std::string& name, std::string& content, uint32_t largest = UINT32_MAX);
    // The same for entry `index` of entries().
    bool readAt(uint32_t index, std::string& content);
    // Entry `index` of entries() as it is stored, for a copy that need not compress it
    // again; false when it does not read back whole with its checksum, as extraction
    // checks it, or its method is neither stored nor deflated.
    bool readStored(uint32_t index, StoredEntry& entry);
    // Reads "META-INF/MANIFEST.MF" into `manifest` as the launcher and java read it (one
    // that java refuses has its outcome set; one over JarManifest::kLargestText is not
    // read). False when the jar has none, or it cannot be read.
    bool readManifest(JarManifest& manifest);

private:
    bool openSource(CZipSource& source);
    InputFile input_;  // the file opened by openFile, which the file source reads
    CZipMemorySource source_;
    CZipFileSliceSource fileSource_;
    CZipReader reader_;
    CZipSource* opened_ = nullptr;  // the source reader_ reads
};

// The value of the main section's attribute `name` ("Class-Path") in `manifest`, with the
// blanks and control characters around it trimmed as java trims Main-Class; "" when there
// is none.
std::string mainAttribute(const JarManifest& manifest, const char* name);
// Why java refuses `manifest` of the jar at `path`, as one line; "" when it does not.
std::string manifestProblem(const JarManifest& manifest, const std::string& path);

}  // namespace oru::tools
