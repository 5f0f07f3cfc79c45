// Helpers shared by the archive tests: memory readers, a buffer sink, test data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/embedded_archive.h"
#include "archive/entry_sink.h"
#include "archive/zip_reader.h"
#include "archive/zip_source.h"

namespace oru::testing {

// A reader over a copy of `bytes`; the copy lives as long as the object.
struct MemoryArchive {
    explicit MemoryArchive(std::string bytes) : data(std::move(bytes)) {
        source.attach(reinterpret_cast<const unsigned char*>(data.data()),
                      static_cast<uint32_t>(data.size()));
    }
    // Opens the reader; the CZipException code, or 0 on success.
    int open() {
        try {
            reader.open(source, CZipReader::Mode::kReadOnly);
            return 0;
        } catch (const CZipException& e) {
            return e.code();
        }
    }
    // Opens only the end record and scans the names: how many end in ".jar", -1 when the
    // scan refuses the directory, -2 when the end record does not open.
    int countJarNames() {
        try {
            reader.openEndRecord(source);
        } catch (const CZipException&) {
            return -2;
        }
        std::vector<unsigned char> buffer;
        return reader.countNames(
            [](const char* name, int length) {
                return length >= 4 && std::string(name + length - 4, 4) == ".jar";
            },
            buffer);
    }
    std::string data;
    CZipMemorySource source;
    CZipReader reader;
};

// A memory source that fails on demand: the read numbered `failAt` (from 0) delivers one
// byte less than asked, and no byte at or past `cutAt` ever arrives, though length()
// still counts it (a file cut short while it is open).
class ShortReadSource : public CZipMemorySource {
public:
    uint32_t read(void* buffer, uint32_t count) override {
        if (cutAt >= 0 && position_ + count > cutAt)
            count = position_ >= cutAt ? 0 : static_cast<uint32_t>(cutAt - position_);
        uint32_t n = CZipMemorySource::read(buffer, count);
        return reads++ == failAt && n > 0 ? n - 1 : n;
    }
    int reads = 0;
    int failAt = -1;
    int64_t cutAt = -1;
};

// Collects one entry in a vector, as the Java array would hold it.
class BufferSink : public EntrySink {
public:
    bool begin(uint32_t size, unsigned char*& bytes) override {
        ++begun;
        if (refuse) return false;
        buffer.assign(size, 0xCC);
        bytes = buffer.data();
        return true;
    }
    void end(bool complete) override {
        ++ended;
        if (!complete) buffer.clear();
        lastComplete = complete;
    }
    std::string text() const { return std::string(buffer.begin(), buffer.end()); }

    std::vector<unsigned char> buffer;
    bool refuse = false;
    bool lastComplete = false;
    int begun = 0;
    int ended = 0;
};

// Reads `query` from `store`: the content, or "<null>" when it is not found.
inline std::string readText(EmbeddedArchive& store, const char* query) {
    BufferSink sink;
    return store.readEntry(sink, NarrowString(query)) ? sink.text() : std::string("<null>");
}

// The same entry read through a stream `chunk` bytes a call: "<null>" when it does not
// open, "<damaged>" when a read fails.
inline std::string streamText(EmbeddedArchive& store, const char* query, uint32_t chunk = 4096) {
    EntryStream stream;
    if (!store.openStream(stream, NarrowString(query))) return "<null>";
    std::string out;
    std::vector<unsigned char> buffer(chunk);
    for (int n; (n = stream.read(buffer.data(), chunk)) != 0;) {
        if (n < 0) return "<damaged>";
        out.append(buffer.begin(), buffer.begin() + n);
    }
    return out;
}

// A store node opened over a copy of `bytes`, its tree allowed `treeBytes`.
inline std::unique_ptr<EmbeddedArchive> openStore(
    const std::string& bytes, int depth = 2, uint64_t treeBytes = EmbeddedArchive::kMaxTreeBytes) {
    auto store = std::make_unique<EmbeddedArchive>(depth, treeBytes);
    std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size() + 1]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    store->openBuffer(std::move(copy), static_cast<uint32_t>(bytes.size()));
    return store;
}

// Deterministic bytes that do not compress (a linear congruential sequence).
inline std::string noise(size_t size, uint32_t seed = 1) {
    std::string out(size, '\0');
    for (char& c : out) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return out;
}

}  // namespace oru::testing
