// Reading jars for oru-pack: entry lists, entry contents and the manifest's main section.
#include "jar_reader.h"

#include <algorithm>

#include "archive/archive_region.h"
#include "archive/entry_extraction.h"

namespace oru::tools {

namespace {

// The most a manifest may hold for oru-pack to read it.
constexpr uint32_t kLargestManifest = 1u << 20;

std::string withSlashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// The manifest's lines with continuation lines (those starting with a space) joined.
std::vector<std::string> logicalLines(const std::string& manifest) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < manifest.size()) {
        size_t end = manifest.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = manifest.size();
        std::string line = manifest.substr(pos, end - pos);
        if (!line.empty() && line[0] == ' ' && !lines.empty() && !lines.back().empty())
            lines.back() += line.substr(1);
        else
            lines.push_back(line);
        pos = end;
        if (pos < manifest.size() && manifest[pos] == '\r') ++pos;
        if (pos < manifest.size() && manifest[pos] == '\n') ++pos;
    }
    return lines;
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
        if (!reader_.entrySizesPlausible(index) || entry.uncompressedSize > largest) return false;
        content.assign(entry.uncompressedSize, '\0');
        return extractEntry(reader_, index, reinterpret_cast<unsigned char*>(content.data()),
                            entry.uncompressedSize);
    }
    return false;
}

bool JarReader::readManifest(std::string& manifest) {
    return read("META-INF/MANIFEST.MF", manifest, kLargestManifest);
}

std::string manifestAttribute(const std::string& manifest, const std::string& name) {
    for (const std::string& line : logicalLines(manifest)) {
        if (line.empty()) break;  // the main section ends at the first blank line
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string key = line.substr(0, colon);
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (key == name) return trimmed(line.substr(colon + 1));
    }
    return "";
}

std::string manifestMainClass(const std::string& manifest) {
    return manifestAttribute(manifest, "main-class");
}

}  // namespace oru::tools
