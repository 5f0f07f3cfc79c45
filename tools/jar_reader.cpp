// Reading jars for oru-pack: entry lists, entry contents and the manifest.
#include "jar_reader.h"

#include <algorithm>

#include "archive/archive_region.h"
#include "archive/entry_extraction.h"

namespace oru::tools {

namespace {

std::string withSlashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

}  // namespace

bool JarReader::open(const std::string& bytes) {
    if (bytes.size() > UINT32_MAX) return false;
    // A signed executable's archive ends where its certificate table begins.
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    source_.attach(data, static_cast<uint32_t>(findArchiveRegion(data, bytes.size()).length));
    return openSource(source_);
}

bool JarReader::open(const platform::ReadOnlyFile& file, uint32_t size) {
    fileSource_.attach(&file, 0, static_cast<uint32_t>(findArchiveRegion(file, size).length));
    return openSource(fileSource_);
}

bool JarReader::openFile(const std::string& path, std::string& error) {
    error.clear();
    return input_.open(path, kLargestMember, error) && open(input_.file(), input_.size());
}

bool JarReader::openSource(CZipSource& source) {
    try {
        reader_.open(source, CZipReader::Mode::kReadOnly);
    } catch (...) {  // a damaged archive, or one too large to index
        return false;
    }
    opened_ = &source;
    return true;
}

std::vector<JarEntryInfo> JarReader::entries() const {
    std::vector<JarEntryInfo> list;
    for (int i = 0; i < reader_.entryCount(); ++i) {
        const CZipEntry& entry = reader_.entry(static_cast<uint32_t>(i));
        list.push_back({withSlashes(entry.name), entry.uncompressedSize, entry.compressedSize,
                        entry.method == 8});
    }
    return list;
}

bool JarReader::read(const std::string& name, std::string& content, uint32_t largest) {
    for (int i = 0; i < reader_.entryCount(); ++i) {
        const uint32_t index = static_cast<uint32_t>(i);
        const CZipEntry& entry = reader_.entry(index);
        if (withSlashes(entry.name) != name) continue;
        return entry.uncompressedSize <= largest && readAt(index, content);
    }
    return false;
}

bool JarReader::readAt(uint32_t index, std::string& content) {
    if (index >= static_cast<uint32_t>(reader_.entryCount()) || !reader_.entrySizesPlausible(index))
        return false;
    const uint32_t size = reader_.entry(index).uncompressedSize;
    content.assign(size, '\0');
    return extractEntry(reader_, index, reinterpret_cast<unsigned char*>(content.data()), size);
}

bool JarReader::readStored(uint32_t index, StoredEntry& stored) {
    if (!checkEntry(reader_, index) || !reader_.entrySizesPlausible(index)) return false;
    const CZipEntry& entry = reader_.entry(index);
    if (entry.method != 0 && entry.method != 8) return false;
    uint64_t position = 0;
    try {
        if (reader_.openEntry(index)) position = reader_.openEntryDataPosition();
    } catch (...) {  // checked above: only memory can fail here
    }
    reader_.closeEntry(true);
    if (position == 0) return false;
    stored.data.assign(entry.compressedSize, '\0');
    stored.crc = entry.crc32;
    stored.size = entry.uncompressedSize;
    stored.deflated = entry.method == 8;
    stored.dosTime = entry.dosTime;
    return opened_->readAt(position, stored.data.data(), entry.compressedSize);
}

bool JarReader::readManifest(JarManifest& manifest) {
    for (const JarEntryInfo& entry : entries()) {
        if (entry.name != "META-INF/MANIFEST.MF") continue;
        if (entry.size > JarManifest::kLargestText) {
            manifest.read(nullptr, entry.size);  // too large: java refuses it unread
            return true;
        }
        std::string text;
        if (!read(entry.name, text)) return false;
        manifest.read(text.data(), text.size());
        return true;
    }
    return false;
}

std::string mainAttribute(const JarManifest& manifest, const char* name) {
    ManifestValue value;
    if (!manifest.find(nullptr, name, value)) return "";
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const char* begin = value.bytes;
    const char* end = value.bytes + value.length;
    while (begin < end && blank(*begin)) ++begin;
    while (end > begin && blank(end[-1])) --end;
    return std::string(begin, end);
}

std::string manifestProblem(const JarManifest& manifest, const std::string& path) {
    if (manifest.valid()) return "";
    std::string problem =
        "java refuses the manifest of " + path + ": " + JarManifest::describe(manifest.outcome());
    if (manifest.errorLine() > 0) problem += " (line " + std::to_string(manifest.errorLine()) + ")";
    return problem;
}

}  // namespace oru::tools
