// libFuzzer target: an arbitrary buffer opened as an archive store; every name is looked
// up and read twice, and the two answers must agree. The same bytes opened as a file,
// where stored nested archives are read in place and their directories on first use,
// must give the same answers as well.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "archive/archive_region.h"
#include "archive/embedded_archive.h"
#include "archive/entry_extraction.h"
#include "archive/entry_lookup.h"
#include "archive/zip_reader.h"

namespace {

using oru::NarrowString;

constexpr size_t kLargestInput = 1 << 20;
constexpr uint32_t kLargestListedJar = 8 << 20;
// Smaller than a real tree's, so that inputs of a few kilobytes reach its limits.
constexpr uint64_t kTreeBytes = 64 << 20;

class VectorSink : public oru::EntrySink {
public:
    bool begin(uint32_t size, unsigned char*& bytes) override {
        declared = size;
        buffer.assign(size, 0);
        bytes = buffer.data();
        return true;
    }
    void end(bool complete) override {
        if (buffer.size() != declared) std::abort();  // the store wrote past its result
        if (!complete) buffer.clear();
    }
    std::vector<unsigned char> buffer;
    uint32_t declared = 0;
};

// What the nested-archive records listed so far claim to hold once extracted.
uint64_t claimedNestedBytes = 0;

// The record names of the archive in `bytes`, as the reader holds them.
std::vector<std::string> listNames(const unsigned char* bytes, uint32_t size) {
    std::vector<std::string> names;
    oru::CZipMemorySource source;
    source.attach(bytes, size);
    oru::CZipReader reader;
    try {
        reader.open(source, oru::CZipReader::Mode::kReadOnly);
    } catch (const oru::CZipException&) {
        return names;
    }
    for (int i = 0; i < reader.entryCount(); ++i) {
        const oru::CZipEntry& entry = reader.entry(static_cast<uint16_t>(i));
        names.push_back(entry.name);
        if (oru::EntryLookup::isNestedName(entry.name.data(), static_cast<int>(entry.name.size())))
            claimedNestedBytes += entry.uncompressedSize;
    }
    return names;
}

// The names inside nested archive `jar` of the archive in `bytes`, prefixed "jar!".
void listNested(const unsigned char* bytes, uint32_t size, const std::string& jar,
                std::vector<std::string>& out) {
    oru::CZipMemorySource source;
    source.attach(bytes, size);
    oru::CZipReader reader;
    try {
        reader.open(source, oru::CZipReader::Mode::kReadOnly);
    } catch (const oru::CZipException&) {
        return;
    }
    for (int i = 0; i < reader.entryCount(); ++i) {
        const oru::CZipEntry& entry = reader.entry(static_cast<uint16_t>(i));
        uint32_t inner = entry.uncompressedSize;
        if (entry.name != jar || inner == 0 || inner > kLargestListedJar ||
            !reader.entrySizesPlausible(static_cast<uint16_t>(i)))
            continue;
        std::vector<unsigned char> buffer(inner);
        if (!oru::extractEntry(reader, static_cast<uint16_t>(i), buffer.data(), inner)) continue;
        for (const std::string& name : listNames(buffer.data(), inner))
            out.push_back(jar + "!" + name);
    }
}

int appendFound(void* context, const NarrowString& found) {
    static_cast<std::string*>(context)->append(found.c_str()).push_back('\n');
    return 0;
}

// Everything the store answers for `name`, read twice: the two reads must agree.
std::string answers(oru::EmbeddedArchive& store, const std::string& name) {
    NarrowString q(name.data(), static_cast<int>(name.size()));
    VectorSink first, second;
    bool a = store.readEntry(first, q);
    bool b = store.readEntry(second, q);
    if (a != b || first.buffer != second.buffer) std::abort();  // reads must repeat exactly
    NarrowString found;
    std::string all =
        store.locate(q, found, NarrowString(), nullptr, nullptr) ? found.c_str() : "-";
    all += a ? std::string(first.buffer.begin(), first.buffer.end()) : std::string("<null>");
    store.locate(q, found, NarrowString(), &appendFound, &all);
    // The manifest of the jar that holds it, parsed once, whatever its text.
    const oru::JarManifest* manifest = store.manifestOf(q);
    oru::ManifestValue value;
    if (manifest && manifest->find(nullptr, "Main-Class", value))
        all.append(value.bytes, value.length);
    all += manifest ? (manifest->valid() ? "<valid>" : "<refused>") : "<none>";
    return all;
}

// A file of this process's own for the bytes opened from a file, removed at exit.
const std::string& scratchPath() {
    struct ScratchFile {
        std::string path = (std::filesystem::temp_directory_path() /
                            ("oru-archive-fuzz-" + std::to_string(std::random_device()()) + ".exe"))
                               .string();
        ~ScratchFile() {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    };
    static const ScratchFile file;
    return file.path;
}

bool writeScratch(const uint8_t* data, size_t size) {
    std::ofstream out(scratchPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kLargestInput) return 0;
    const uint32_t length = static_cast<uint32_t>(size);
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size + 1]);
    if (size) std::memcpy(copy.get(), data, size);
    oru::EmbeddedArchive store(2, kTreeBytes);
    store.openBuffer(std::move(copy), length);
    oru::EmbeddedArchive fromFile(2, kTreeBytes);
    if (writeScratch(data, size)) fromFile.open(scratchPath().c_str());

    claimedNestedBytes = 0;
    std::vector<std::string> names = listNames(data, length);
    const size_t topLevel = names.size();
    for (size_t i = 0; i < topLevel && i < 64; ++i) {
        const std::string name = names[i];  // names grows below
        if (name.size() >= 5) listNested(data, length, name, names);
    }
    names.push_back("!x");
    names.push_back("a.jar!");
    // Read in place, stored nested archives cost the tree no bytes: the two trees
    // differ only where the bytes they claim could exhaust the smaller allowance.
    // Every nested archive was listed when there were at most 64 names at the top and
    // no claim went past what listNested extracts.
    // A file that reads as a signed executable ends its archive before the signature.
    const bool comparable = topLevel <= 64 && claimedNestedBytes <= kLargestListedJar &&
                            4 * (size + claimedNestedBytes) < kTreeBytes &&
                            oru::findArchiveRegion(data, size).length == size;
    for (const std::string& name : names) {
        const std::string inMemory = answers(store, name);
        if (answers(fromFile, name) != inMemory && comparable) std::abort();
    }
    return 0;
}
