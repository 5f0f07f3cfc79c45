// Entry extraction: stored and deflated data, descriptors, local headers and damage.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <functional>

#include "archive/checksum.h"
#include "archive/entry_extraction.h"
#include "archive_test_support.h"
#include "support/little_endian.h"
#include "test_support.h"
#include "zip_writer.h"

namespace oru {
namespace {

using testing::MemoryArchive;
using testing::ShortReadSource;
using tools::ZipDescriptor;
using tools::ZipLayout;
using tools::ZipMethod;
using tools::ZipWriter;

// Reads entry `index` whole in chunks of `chunk` bytes; closeEntry's result in `closed`.
std::string readAll(CZipReader& reader, uint16_t index, uint32_t chunk, int& closed) {
    EXPECT_TRUE(reader.openEntry(index));
    std::string out;
    std::vector<unsigned char> buffer(chunk);
    for (uint32_t n; (n = reader.readData(buffer.data(), chunk)) > 0;)
        out.append(buffer.begin(), buffer.begin() + n);
    closed = reader.closeEntry();
    return out;
}

// The checksum that every extraction checks (the Windows builds carry their own, and
// updateCrc32 folds long runs): the standard check value, the same sum whatever the
// pieces it is taken in, and the two ways alike at every length and alignment.
TEST(EntryExtractionTest, Crc32OfWholesAndPieces) {
    const auto sum = [](uLong crc, const std::string& bytes) {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        const uLong byZlib = crc32(crc, data, static_cast<uInt>(bytes.size()));
        EXPECT_EQ(updateCrc32(static_cast<uint32_t>(crc), data, bytes.size()), byZlib)
            << bytes.size();
        return byZlib;
    };
    EXPECT_EQ(sum(crc32(0, nullptr, 0), "123456789"), 0xCBF43926u);
    std::string bytes(4099, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 13);
    const uLong whole = sum(0, bytes);
    for (size_t split : {1, 2, 3, 5, 63, 64, 65, 4096}) {
        EXPECT_EQ(sum(sum(0, bytes.substr(0, split)), bytes.substr(split)), whole) << split;
    }
    for (size_t start = 0; start < 16; ++start)
        for (size_t length = 0; length < 300; length += 1 + length / 16)
            sum(0x12345678, bytes.substr(start, length));
}

TEST(EntryExtractionTest, ContentComesBackByteForByte) {
    const std::string contents[] = {
        "", "x", "Hello, world\n", std::string(300000, 'a'), testing::noise(200000, 5),
    };
    const ZipDescriptor descriptors[] = {ZipDescriptor::kNone, ZipDescriptor::kSigned,
                                         ZipDescriptor::kUnsigned};
    for (ZipMethod method : {ZipMethod::kStored, ZipMethod::kDeflated}) {
        for (ZipDescriptor descriptor : descriptors) {
            ZipWriter writer;
            for (const std::string& content : contents)
                writer.add("e" + std::to_string(writer.entries().size()), content, method,
                           {0, descriptor});
            MemoryArchive archive(writer.finish());
            ASSERT_EQ(archive.open(), 0);
            if (descriptor == ZipDescriptor::kNone) {
                // Streamed from files through a bounded buffer, the bytes are the same.
                testing::ScratchDirectory dir;
                ZipWriter streamed;
                std::string error;
                for (size_t i = 0; i < 5; ++i)
                    ASSERT_TRUE(streamed.addFile("e" + std::to_string(i),
                                                 dir.write("c" + std::to_string(i), contents[i]),
                                                 method, error))
                        << error;
                EXPECT_EQ(streamed.finish("comment"), writer.finish("comment"));
            }
            for (uint16_t i = 0; i < 5; ++i) {
                for (uint32_t chunk : {uint32_t(7), uint32_t(65536), uint32_t(1) << 20}) {
                    int closed = 0;
                    std::string got = readAll(archive.reader, i, chunk, closed);
                    EXPECT_EQ(got, contents[i])
                        << "entry " << i << " method " << int(method) << " chunk " << chunk;
                    EXPECT_EQ(closed, 1);
                }
            }
        }
    }
}

TEST(EntryExtractionTest, EmptyEntriesReadNothingAndClose) {
    for (ZipMethod method : {ZipMethod::kStored, ZipMethod::kDeflated}) {
        ZipWriter writer;
        writer.add("empty", "", method, {0, ZipDescriptor::kSigned});
        MemoryArchive archive(writer.finish());
        ASSERT_EQ(archive.open(), 0);
        ASSERT_TRUE(archive.reader.openEntry(0));
        EXPECT_EQ(archive.reader.readData(nullptr, 0), 0u);
        EXPECT_EQ(archive.reader.closeEntry(), 1) << int(method);
    }
}

// A raw deflate stream whose last few bytes hold only its end: data, a sync-flush marker,
// then an empty final block, sized so the end falls into a second 64 KiB read.
std::string streamEndingAfterTheData(std::string& data) {
    for (size_t size = 65400; size < 65600; ++size) {
        data = testing::noise(size, 9);
        z_stream s{};
        deflateInit2(&s, 0, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        std::string out(size + 1024, '\0');
        s.next_in = reinterpret_cast<Bytef*>(&data[0]);
        s.avail_in = static_cast<uInt>(size);
        s.next_out = reinterpret_cast<Bytef*>(&out[0]);
        s.avail_out = static_cast<uInt>(out.size());
        deflate(&s, Z_SYNC_FLUSH);
        deflate(&s, Z_FINISH);
        out.resize(s.total_out);
        deflateEnd(&s);
        if (out.size() > CZipReader::kReadBufferSize &&
            out.size() <= CZipReader::kReadBufferSize + 2)
            return out;
    }
    return std::string();
}

TEST(EntryExtractionTest, DescriptorIsReadAfterAllCompressedData) {
    std::string data;
    ZipWriter::Entry entry;
    entry.name = "tail.bin";
    entry.stored = streamEndingAfterTheData(data);
    ASSERT_FALSE(entry.stored.empty());
    entry.size = static_cast<uint32_t>(data.size());
    entry.crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    entry.method = ZipMethod::kDeflated;
    entry.options.descriptor = ZipDescriptor::kSigned;
    ZipWriter writer;
    writer.addRaw(entry);
    MemoryArchive archive(writer.finish());
    ASSERT_EQ(archive.open(), 0);
    std::vector<unsigned char> out(data.size());
    EXPECT_TRUE(extractEntry(archive.reader, 0, out.data(), static_cast<uint32_t>(out.size())));
    EXPECT_EQ(std::string(out.begin(), out.end()), data);
}

TEST(EntryExtractionTest, OneEntryAtATime) {
    ZipWriter writer;
    writer.add("a", "first");
    writer.add("b", "second");
    MemoryArchive archive(writer.finish());
    ASSERT_EQ(archive.open(), 0);
    EXPECT_FALSE(archive.reader.openEntry(2));
    ASSERT_TRUE(archive.reader.openEntry(0));
    EXPECT_FALSE(archive.reader.openEntry(1));
    char buffer[16];
    EXPECT_EQ(archive.reader.readData(buffer, 3), 3u);
    EXPECT_EQ(archive.reader.closeEntry(), -1) << "bytes were left unread";
    EXPECT_EQ(archive.reader.closeEntry(), 0) << "nothing open any more";
    EXPECT_EQ(archive.reader.readData(buffer, 3), 0u);
}

TEST(EntryExtractionTest, AlteredDataFailsTheChecksumAfterDelivery) {
    ZipLayout at;
    ZipWriter writer;
    writer.add("stored", "the quick brown fox", ZipMethod::kStored);
    std::string bytes = writer.finish(std::string(), &at);
    bytes[at.dataOffsets[0] + 4] ^= 0x20;
    MemoryArchive archive(bytes);
    ASSERT_EQ(archive.open(), 0);
    ASSERT_TRUE(archive.reader.openEntry(0));
    char buffer[64];
    EXPECT_EQ(archive.reader.readData(buffer, 19), 19u);
    EXPECT_EQ(std::string(buffer, 19), "the Quick brown fox");
    try {
        archive.reader.closeEntry();
        ADD_FAILURE() << "checksum accepted";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.code(), CZipException::badCrc);
    }
    EXPECT_EQ(archive.reader.closeEntry(true), 1);
    EXPECT_TRUE(archive.reader.openEntry(0)) << "the reader stays usable";
    archive.reader.closeEntry(true);
}

TEST(EntryExtractionTest, EncryptedStoredEntryAsksForAPassword) {
    // As an encrypting archiver writes it: a 12-byte encryption header before the data,
    // counted in the compressed size only, and flag bit 0 in both headers.
    const std::string content = "secret class bytes";
    ZipWriter::Entry entry;
    entry.name = "Secret.class";
    entry.stored = testing::noise(12, 4) + content;
    entry.size = static_cast<uint32_t>(content.size());
    entry.crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                                            static_cast<uInt>(content.size())));
    entry.options.flags = 1;
    ZipWriter writer;
    writer.addRaw(entry);
    MemoryArchive archive(writer.finish());
    ASSERT_EQ(archive.open(), 0);
    ASSERT_EQ(archive.reader.entry(0).compressedSize, entry.size + 12);
    try {
        archive.reader.openEntry(0);
        ADD_FAILURE() << "encrypted entry opened";
    } catch (const CZipException& e) {
        EXPECT_EQ(e.code(), CZipException::badPassword);
    }
}

// Extracts entry `index` with the store's three calls: 0 when it read whole, the
// CZipException code, or -1 for any other failure. Leaves no entry open.
int extractCode(CZipReader& reader, uint16_t index) {
    const uint32_t size = reader.entry(index).uncompressedSize;
    std::vector<unsigned char> out(size);
    int code = -1;
    try {
        if (reader.openEntry(index) && reader.readData(out.data(), size) == size &&
            reader.closeEntry() == 1)
            code = 0;
    } catch (const CZipException& e) {
        code = e.code();
    }
    reader.closeEntry(true);
    return code;
}

// One read each: local header, local extra, two 64 KiB chunks of data, and the
// descriptor. Whichever comes up short, the entry fails with badArchive and the
// reader extracts it cleanly on the next try.
TEST(EntryExtractionTest, EveryShortReadDuringExtractionFails) {
    ZipWriter writer;
    writer.add("d.bin", testing::noise(100000, 6), ZipMethod::kDeflated,
               {0, ZipDescriptor::kSigned});
    writer.setLocalExtra("extra!");
    writer.add("s.bin", testing::noise(70000, 7), ZipMethod::kStored,
               {0, ZipDescriptor::kUnsigned});
    writer.setLocalExtra("xx");
    const std::string archive = writer.finish();
    for (uint16_t index : {uint16_t(0), uint16_t(1)}) {
        ShortReadSource counting;
        counting.attach(reinterpret_cast<const unsigned char*>(archive.data()),
                        static_cast<uint32_t>(archive.size()));
        CZipReader reader;
        reader.open(counting, CZipReader::Mode::kReadOnly);
        const int opening = counting.reads;
        ASSERT_EQ(extractCode(reader, index), 0);
        const int extracting = counting.reads - opening;
        ASSERT_GE(extracting, 5);
        for (int k = 0; k < extracting; ++k) {
            ShortReadSource source;
            source.attach(reinterpret_cast<const unsigned char*>(archive.data()),
                          static_cast<uint32_t>(archive.size()));
            source.failAt = opening + k;
            CZipReader failing;
            failing.open(source, CZipReader::Mode::kReadOnly);
            EXPECT_EQ(extractCode(failing, index), CZipException::badArchive) << index << " " << k;
            EXPECT_EQ(extractCode(failing, index), 0) << index << " " << k;
        }
    }
}

// The source stops delivering part-way through an entry although its length promised
// more, as a file cut short under an open reader would.
TEST(EntryExtractionTest, SourceCutShortMidEntryFails) {
    ZipLayout at;
    ZipWriter writer;
    writer.add("d.bin", testing::noise(100000, 8), ZipMethod::kDeflated,
               {0, ZipDescriptor::kSigned});
    writer.add("s.bin", testing::noise(5000, 9), ZipMethod::kStored, {0, ZipDescriptor::kUnsigned});
    const std::string archive = writer.finish(std::string(), &at);
    const struct Case {
        const char* what;
        uint16_t index;
        uint32_t cutAt;
    } cases[] = {
        {"local header", 0, at.localOffsets[0] + 10},
        {"first data chunk", 0, at.dataOffsets[0] + 1000},
        {"second data chunk", 0, at.dataOffsets[0] + 70000},
        {"signature of the descriptor", 0, at.localOffsets[1] - 14},
        {"fields of the descriptor", 0, at.localOffsets[1] - 6},
        {"stored data", 1, at.dataOffsets[1] + 4999},
        {"unsigned descriptor", 1, at.centralDirectoryOffset - 3},
    };
    for (const Case& c : cases) {
        ShortReadSource source;
        source.attach(reinterpret_cast<const unsigned char*>(archive.data()),
                      static_cast<uint32_t>(archive.size()));
        CZipReader reader;
        reader.open(source, CZipReader::Mode::kReadOnly);
        source.cutAt = c.cutAt;
        EXPECT_EQ(extractCode(reader, c.index), CZipException::badArchive) << c.what;
        source.cutAt = -1;
        EXPECT_EQ(extractCode(reader, c.index), 0) << c.what;
    }
}

// Builds one entry, applies `patch` to the archive, and extracts entry 0: the code of the
// CZipException it raised, or 0 when it read cleanly.
int extractionCode(const std::string& content, ZipMethod method, ZipDescriptor descriptor,
                   const std::function<void(std::string&, const ZipLayout&)>& patch) {
    ZipLayout at;
    ZipWriter writer;
    writer.add("entry.bin", content, method, {0, descriptor});
    std::string bytes = writer.finish(std::string(), &at);
    patch(bytes, at);
    MemoryArchive archive(bytes);
    if (int code = archive.open()) return code;
    // Never trust the damaged record's size for the test's own buffer.
    std::vector<unsigned char> out(
        std::min<uint32_t>(archive.reader.entry(0).uncompressedSize, 1 << 20));
    int code = 0;
    try {
        if (!archive.reader.openEntry(0)) return -2;
        uint32_t n = archive.reader.readData(out.data(), static_cast<uint32_t>(out.size()));
        if (archive.reader.closeEntry() != 1 || n != out.size()) code = -1;
    } catch (const CZipException& e) {
        code = e.code();
    }
    archive.reader.closeEntry(true);
    EXPECT_FALSE(extractEntry(archive.reader, 0, out.data(), static_cast<uint32_t>(out.size())) &&
                 code != 0);
    return code;
}

TEST(EntryExtractionTest, DamageGivesItsCode) {
    const std::string text = "some text that deflates, some text that deflates, some text";
    const auto none = ZipDescriptor::kNone;
    using Layout = const ZipLayout&;
    struct Case {
        const char* what;
        ZipMethod method;
        ZipDescriptor descriptor;
        std::function<void(std::string&, Layout)> patch;
        int code;
    } cases[] = {
        {"intact", ZipMethod::kDeflated, none, [](std::string&, Layout) {}, 0},
        {"local signature", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { a[at.localOffsets[0]] = 'Q'; }, CZipException::badArchive},
        {"local method differs", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { set16(a, at.localOffsets[0] + 8, 0); },
         CZipException::badArchive},
        {"method 12 in both", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) {
             set16(a, at.localOffsets[0] + 8, 12);
             set16(a, at.centralOffsets[0] + 10, 12);
         },
         CZipException::badArchive},
        {"local crc differs", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { set32(a, at.localOffsets[0] + 14, 1); },
         CZipException::badArchive},
        {"local size differs", ZipMethod::kStored, none,
         [](std::string& a, Layout at) { set32(a, at.localOffsets[0] + 22, 3); },
         CZipException::badArchive},
        {"local encryption bit governs", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { set16(a, at.localOffsets[0] + 6, 1); },
         CZipException::badPassword},
        {"local descriptor bit governs", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { set16(a, at.localOffsets[0] + 6, 8); },
         CZipException::badArchive},
        {"local name runs past the source", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { set16(a, at.localOffsets[0] + 26, 0xFFFF); },
         CZipException::badArchive},
        {"header offset past the source", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { set32(a, at.centralOffsets[0] + 42, 0xFFFFFFF0u); },
         CZipException::badArchive},
        {"corrupt deflate block", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) { a[at.dataOffsets[0]] = 0x07; },
         CZipException::zlibDataError},
        {"deflate stream cut short", ZipMethod::kDeflated, none,
         [](std::string& a, Layout at) {
             uint32_t shorter = at.dataOffsets[0] > 0 ? 6 : 0;
             set32(a, at.localOffsets[0] + 18, shorter);
             set32(a, at.centralOffsets[0] + 20, shorter);
         },
         CZipException::badArchive},
        {"stored sizes differ", ZipMethod::kStored, none,
         [](std::string& a, Layout at) {
             set32(a, at.localOffsets[0] + 18, 5);
             set32(a, at.centralOffsets[0] + 20, 5);
         },
         CZipException::badArchive},
        {"size beyond any deflate ratio", ZipMethod::kDeflated, ZipDescriptor::kSigned,
         [](std::string& a, Layout at) { set32(a, at.centralOffsets[0] + 24, 0x7FFFFFF0); },
         CZipException::badArchive},
        {"descriptor crc differs", ZipMethod::kDeflated, ZipDescriptor::kSigned,
         [](std::string& a, Layout at) {
             uint32_t descriptor = at.centralDirectoryOffset - 16;
             set32(a, descriptor + 4, 0x12345678);
         },
         CZipException::badArchive},
        {"unsigned descriptor size differs", ZipMethod::kStored, ZipDescriptor::kUnsigned,
         [](std::string& a, Layout at) { set32(a, at.centralDirectoryOffset - 4, 1); },
         CZipException::badArchive},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extractionCode(text, c.method, c.descriptor, c.patch), c.code) << c.what;
}

// In offset order an entry's data must end at or before the next local header (the
// central directory after the last entry), so no two entries share a block of data.
TEST(EntryExtractionTest, DataOverlappingTheNextEntryIsRefused) {
    using Layout = const ZipLayout&;
    auto grow = [](int i, uint32_t more) {
        return [i, more](std::string& a, Layout at) {
            for (uint32_t field : {at.localOffsets[i] + 18, at.localOffsets[i] + 22,
                                   at.centralOffsets[i] + 20, at.centralOffsets[i] + 24})
                set32(a, field, 4 + more);
        };
    };
    const int bad = CZipException::badArchive;
    struct Case {
        const char* what;
        std::function<void(std::string&, Layout)> patch;
        std::vector<int> codes;
    } cases[] = {
        {"adjacent entries", [](std::string&, Layout) {}, {0, 0, 0}},
        {"data runs into the next header", grow(0, 10), {bad, 0, 0}},
        {"a local extra field moves the data onto the next entry's",
         [](std::string& a, Layout at) {
             set16(a, at.localOffsets[0] + 28, at.dataOffsets[1] - at.localOffsets[0] - 31);
         },
         {bad, 0, 0}},
        {"last data runs into the central directory", grow(2, 1), {0, 0, bad}},
    };
    for (const Case& c : cases) {
        ZipLayout at;
        ZipWriter writer;
        for (const char* name : {"a", "b", "c"}) writer.add(name, "same", ZipMethod::kStored);
        std::string bytes = writer.finish(std::string(), &at);
        c.patch(bytes, at);
        MemoryArchive archive(bytes);
        ASSERT_EQ(archive.open(), 0) << c.what;
        std::vector<int> codes;
        for (uint16_t i = 0; i < 3; ++i) codes.push_back(extractCode(archive.reader, i));
        EXPECT_EQ(codes, c.codes) << c.what;
    }
}

}  // namespace
}  // namespace oru
