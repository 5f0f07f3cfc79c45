// CZipReader: finding the end record, loading the central directory, rejecting damage.
#include <gtest/gtest.h>

#include <functional>

#include "archive/entry_extraction.h"
#include "archive_test_support.h"
#include "launcher/config_load.h"
#include "support/little_endian.h"
#include "test_support.h"
#include "zip64_archive.h"
#include "zip_writer.h"

namespace oru {
namespace {

using testing::MemoryArchive;
using testing::ShortReadSource;
using testing::Zip64Figures;
using testing::Zip64Layout;
using tools::ZipLayout;
using tools::ZipMethod;
using tools::ZipWriter;

std::string threeEntries(ZipLayout* layout = nullptr, bool reverseCentral = false,
                         const std::string& comment = std::string()) {
    ZipWriter writer;
    writer.add("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n");
    writer.add("com/x/Y.class", "class bytes", ZipMethod::kStored);
    writer.add("a.txt", "alpha");
    return writer.finish(comment, layout, reverseCentral);
}

TEST(ZipReaderTest, BytesBeforeArchiveIsThePrefix) {
    for (size_t prefix : {size_t(0), size_t(1), size_t(4096), size_t(100000)}) {
        MemoryArchive archive(testing::noise(prefix, 7) + threeEntries());
        ASSERT_EQ(archive.open(), 0) << prefix;
        EXPECT_EQ(archive.reader.bytesBeforeArchive(), prefix);
        EXPECT_EQ(archive.reader.entryCount(), 3);
    }
}

TEST(ZipReaderTest, NamesUseBackslashesAndIndexesFollowTheData) {
    ZipLayout layout;
    MemoryArchive archive(threeEntries(&layout, /*reverseCentral=*/true));
    ASSERT_EQ(archive.open(), 0);
    ASSERT_EQ(archive.reader.entryCount(), 3);
    // The central directory lists them backwards; indexes follow the local headers.
    EXPECT_EQ(archive.reader.entry(0).name, "META-INF\\MANIFEST.MF");
    EXPECT_EQ(archive.reader.entry(1).name, "com\\x\\Y.class");
    EXPECT_EQ(archive.reader.entry(2).name, "a.txt");
    EXPECT_EQ(archive.reader.entry(2).localHeaderOffset, layout.localOffsets[2]);
}

TEST(ZipReaderTest, LaterSignatureInTheCommentWins) {
    // The comment holds a complete end record of an empty archive; being nearer the end,
    // it is the one taken, and everything before it counts as prefix.
    std::string fake;
    append32(fake, 0x06054b50);
    fake.append(18, '\0');
    std::string archive = threeEntries(nullptr, false, "config\n" + fake);
    MemoryArchive withFake(archive);
    ASSERT_EQ(withFake.open(), 0);
    EXPECT_EQ(withFake.reader.entryCount(), 0);
    EXPECT_EQ(withFake.reader.bytesBeforeArchive(), archive.size() - 22);

    MemoryArchive plain(threeEntries(nullptr, false, "mainclass=x.Y\n"));
    ASSERT_EQ(plain.open(), 0);
    EXPECT_EQ(plain.reader.comment(), "mainclass=x.Y\n");
}

// A signature counts only with a whole 22-byte record after it, for the reader and the
// configuration reader alike, so both take the same record.
TEST(ZipReaderTest, EndRecordIsTheOneTheConfigurationReaderTakes) {
    const std::string archive = threeEntries(nullptr, false, "mainclass=x.Y\n");
    const struct Case {
        size_t distance;  // from the stray signature to the end
        int entries;
    } cases[] = {{4, 3}, {12, 3}, {21, 3}, {22, 0}, {30, 0}};
    for (const Case& c : cases) {
        const std::string bytes =
            archive + std::string("PK\x05\x06", 4) + std::string(c.distance - 4, '\0');
        MemoryArchive memory(bytes);
        ASSERT_EQ(memory.open(), 0) << c.distance;
        EXPECT_EQ(memory.reader.entryCount(), c.entries) << c.distance;
        const NarrowString comment =
            findArchiveComment(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        EXPECT_EQ(memory.reader.endRecordPosition() + 22 + comment.length(), bytes.size())
            << c.distance;
    }
}

TEST(ZipReaderTest, SearchCoversTheLargestCommentAndNoMore) {
    struct Case {
        size_t comment;
        size_t trailing;  // bytes after the comment the end record declares
        int code;
    } cases[] = {
        {65535, 0, 0},
        {65534, 1, 0},
        {65535, 1, CZipException::endRecordNotFound},
        {0, 70000, CZipException::endRecordNotFound},
        // Signatures across the seam of the first two 32,768-byte windows.
        {32745, 0, 0},
        {32746, 0, 0},
        {32747, 0, 0},
        {32748, 0, 0},
        {32749, 0, 0},
    };
    for (const Case& c : cases) {
        std::string archive = threeEntries(nullptr, false, std::string(c.comment, 'c'));
        archive.append(c.trailing, 't');
        MemoryArchive memory(archive);
        EXPECT_EQ(memory.open(), c.code) << c.comment << "+" << c.trailing;
        if (c.code == 0) {
            EXPECT_EQ(memory.reader.entryCount(), 3);
        }
    }
}

TEST(ZipReaderTest, DamagedDirectoriesFailTheOpen) {
    ZipLayout at;
    const std::string good = threeEntries(&at);
    using Patch = std::function<void(std::string&)>;
    struct Case {
        const char* what;
        Patch patch;
        int code;
    } cases[] = {
        {"empty source", [](std::string& a) { a.clear(); }, CZipException::endRecordNotFound},
        {"no signature", [](std::string& a) { a = testing::noise(5000); },
         CZipException::endRecordNotFound},
        {"entries but size 0", [&](std::string& a) { set32(a, at.endRecordOffset + 12, 0); },
         CZipException::badArchive},
        {"size but no entries",
         [&](std::string& a) {
             set16(a, at.endRecordOffset + 8, 0);
             set16(a, at.endRecordOffset + 10, 0);
         },
         CZipException::badArchive},
        {"directory past the end record",
         [&](std::string& a) { set32(a, at.endRecordOffset + 16, at.endRecordOffset); },
         CZipException::badArchive},
        {"directory offset wraps",
         [&](std::string& a) { set32(a, at.endRecordOffset + 16, 0xFFFFFFF0u); },
         CZipException::badArchive},
        {"huge directory size",
         [&](std::string& a) { set32(a, at.endRecordOffset + 12, 0xFFFFFFFFu); },
         CZipException::badArchive},
        {"count beyond the records", [&](std::string& a) { set16(a, at.endRecordOffset + 10, 4); },
         CZipException::badArchive},
        {"absurd count", [&](std::string& a) { set16(a, at.endRecordOffset + 10, 0xFFFF); },
         CZipException::badArchive},
        {"second volume", [&](std::string& a) { set16(a, at.endRecordOffset + 4, 1); },
         CZipException::badArchive},
        {"directory on another disk", [&](std::string& a) { set16(a, at.endRecordOffset + 6, 1); },
         CZipException::badArchive},
        {"entry on another disk", [&](std::string& a) { set16(a, at.centralOffsets[1] + 34, 2); },
         CZipException::badArchive},
        {"wrong central signature",
         [&](std::string& a) { set32(a, at.centralOffsets[1], 0x02014b51); },
         CZipException::badArchive},
        {"name past the directory",
         [&](std::string& a) { set16(a, at.centralOffsets[2] + 28, 500); },
         CZipException::badArchive},
        {"extra past the directory",
         [&](std::string& a) { set16(a, at.centralOffsets[2] + 30, 0xFFFF); },
         CZipException::badArchive},
        {"comment past the directory",
         [&](std::string& a) { set16(a, at.centralOffsets[2] + 32, 40); },
         CZipException::badArchive},
        {"duplicate local offsets",
         [&](std::string& a) { set32(a, at.centralOffsets[2] + 42, at.localOffsets[0]); },
         CZipException::badArchive},
        {"archive comment past the end",
         [&](std::string& a) { set16(a, at.endRecordOffset + 20, 10); }, CZipException::badArchive},
    };
    for (const Case& c : cases) {
        std::string archive = good;
        c.patch(archive);
        MemoryArchive memory(archive);
        EXPECT_EQ(memory.open(), c.code) << c.what;
        // The name scan refuses what the full read refuses, but for records that only
        // share a local header, which the scan does not look at.
        const int scanned = MemoryArchive(archive).countJarNames();
        EXPECT_TRUE(scanned < 0 || std::string(c.what) == "duplicate local offsets") << c.what;
    }
}

// Whether entry `index` reads back `content` whole; sizes that cannot be are refused
// before anything is allocated for them, as the store refuses them.
bool readsBack(CZipReader& reader, uint32_t index, const std::string& content) {
    if (!reader.entrySizesPlausible(index)) return false;
    std::string bytes(reader.entry(index).uncompressedSize, '\0');
    return extractEntry(reader, index, reinterpret_cast<unsigned char*>(&bytes[0]),
                        static_cast<uint32_t>(bytes.size())) &&
           bytes == content;
}

// Every entry reads back its own bytes whichever records hold its figures, at the start
// of the source as behind a prefix.
TEST(ZipReaderTest, Zip64RecordsHoldTheFigures) {
    const auto entries = testing::numberedEntries(3);
    for (Zip64Figures figures :
         {Zip64Figures::kEndRecords, Zip64Figures::kExtraFields, Zip64Figures::kDescriptors}) {
        for (size_t prefix : {size_t(0), size_t(1000)}) {
            Zip64Layout at;
            MemoryArchive archive(testing::noise(prefix, 5) +
                                  testing::zip64Archive(entries, figures, &at));
            ASSERT_EQ(archive.open(), 0) << int(figures) << "+" << prefix;
            EXPECT_EQ(archive.reader.bytesBeforeArchive(), prefix);
            ASSERT_EQ(archive.reader.entryCount(), 3);
            for (uint32_t i = 0; i < 3; ++i) {
                EXPECT_EQ(archive.reader.entry(i).localHeaderOffset, at.local[i]);
                EXPECT_TRUE(readsBack(archive.reader, i, entries[i].second)) << int(figures);
            }
        }
    }
}

TEST(ZipReaderTest, DamagedZip64RecordsAreRefused) {
    const auto entries = testing::numberedEntries(3);
    using Patch = std::function<void(std::string&, const Zip64Layout&)>;
    const size_t centralBlock = 46 + 7;  // in entry 1's central record, after its name
    const size_t localBlock = 30 + 7;
    // Refused with the end record (the directory is never looked at), with the directory,
    // or the archive opens and entry 1 alone is unreadable.
    enum Outcome { kEndRefused, kRefused, kEntryMissing };
    struct Case {
        const char* what;
        Zip64Figures figures;
        Patch patch;
        Outcome outcome;
    } cases[] = {
        {"locator pointing outside", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) {
             testing::set64(a, at.end64 + 64, 1ull << 40);
         },
         kEndRefused},
        {"locator pointing before the record", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) {
             testing::set64(a, at.end64 + 64, at.end64 - 1);
         },
         kEndRefused},
        {"no ZIP64 end record at the locator", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) { a[at.end64] ^= 1; }, kEndRefused},
        {"count larger than the records present", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) { testing::set64(a, at.end64 + 32, 100000); },
         kRefused},
        {"count past 32 bits", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) {
             testing::set64(a, at.end64 + 32, (1ull << 32) + 3);
         },
         kEndRefused},
        {"directory running into the ZIP64 end record", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) {
             testing::set64(a, at.end64 + 40, at.end64 - at.central[0] + 1);
             testing::set64(a, at.end64 + 64, at.end64 + 1);
         },
         kEndRefused},
        {"directory size wrapping past 32 bits", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) {
             testing::set64(a, at.end64 + 40, 0xFFFFFFFF);
             testing::set64(a, at.end64 + 48, 1);
             testing::set64(a, at.end64 + 64, 1ull << 32);
         },
         kEndRefused},
        {"ZIP64 end record on a second disk", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) { set32(a, at.end64 + 16, 1); }, kEndRefused},
        {"end record's count disagreeing", Zip64Figures::kEndRecords,
         [](std::string& a, const Zip64Layout& at) { set16(a, at.end + 10, 2); }, kRefused},
        {"ZIP64 block shorter than its values", Zip64Figures::kExtraFields,
         [&](std::string& a, const Zip64Layout& at) {
             set16(a, at.central[1] + centralBlock + 2, 16);
         },
         kRefused},
        {"ZIP64 block running past the extra field", Zip64Figures::kExtraFields,
         [&](std::string& a, const Zip64Layout& at) {
             set16(a, at.central[1] + centralBlock + 2, 40);
         },
         kRefused},
        {"extra field cut short", Zip64Figures::kExtraFields,
         [](std::string& a, const Zip64Layout& at) { set16(a, at.central[1] + 30, 20); }, kRefused},
        {"sentinels without a ZIP64 block", Zip64Figures::kExtraFields,
         [&](std::string& a, const Zip64Layout& at) { set16(a, at.central[1] + centralBlock, 10); },
         kRefused},
        {"offset past 32 bits", Zip64Figures::kExtraFields,
         [&](std::string& a, const Zip64Layout& at) {
             set32(a, at.central[1] + centralBlock + 24, 1);
         },
         kRefused},
        {"sizes past the archive", Zip64Figures::kExtraFields,
         [&](std::string& a, const Zip64Layout& at) {
             testing::set64(a, at.central[1] + centralBlock + 4, 0x7FFFFFF0);
             testing::set64(a, at.central[1] + centralBlock + 12, 0x7FFFFFF0);
         },
         kEntryMissing},
        {"local ZIP64 size disagreeing", Zip64Figures::kExtraFields,
         [&](std::string& a, const Zip64Layout& at) {
             testing::set64(a, at.local[1] + localBlock + 4, 2);
         },
         kEntryMissing},
        {"local ZIP64 block too short", Zip64Figures::kExtraFields,
         [&](std::string& a, const Zip64Layout& at) { set16(a, at.local[1] + localBlock + 2, 8); },
         kEntryMissing},
        {"descriptor size disagreeing", Zip64Figures::kDescriptors,
         [](std::string& a, const Zip64Layout& at) { testing::set64(a, at.local[2] - 8, 2); },
         kEntryMissing},
    };
    for (const Case& c : cases) {
        Zip64Layout at;
        std::string archive = testing::zip64Archive(entries, c.figures, &at);
        c.patch(archive, at);
        MemoryArchive memory(archive);
        const bool opens = c.outcome == kEntryMissing;
        ASSERT_EQ(memory.open(), opens ? 0 : int(CZipException::badArchive)) << c.what;
        if (c.outcome == kEndRefused) {
            EXPECT_EQ(MemoryArchive(archive).countJarNames(), -2) << c.what;
        }
        if (!opens) continue;
        for (uint32_t i = 0; i < 3; ++i)
            EXPECT_EQ(readsBack(memory.reader, i, entries[i].second), i != 1) << c.what << " " << i;
    }
}

// Every record of a ZIP64 directory is charged before it is read, not its count's
// remainder below 65,536, and the last one is reached by its index.
TEST(ZipReaderTest, Zip64DirectoryIsChargedInFull) {
    Zip64Layout at;
    const std::string bytes =
        testing::zip64Archive(testing::numberedEntries(65537), Zip64Figures::kEndRecords, &at);
    const uint64_t cost = CZipReader::directoryFootprint(65537, at.end64 - at.central[0], 0,
                                                         EntryLookup::kBytesPerEntry);
    for (const uint64_t allowance : {cost - 1, cost}) {
        MemoryArchive archive(bytes);
        uint64_t left = allowance;
        archive.reader.setDirectoryAllowance(&left, EntryLookup::kBytesPerEntry);
        if (allowance < cost) {
            EXPECT_EQ(archive.open(), CZipException::badArchive);
            continue;
        }
        ASSERT_EQ(archive.open(), 0);
        ASSERT_EQ(archive.reader.entryCount(), 65537);
        EXPECT_EQ(archive.reader.entry(65536).name, "f\\65536");
        EXPECT_TRUE(readsBack(archive.reader, 65536, "65536"));
    }
}

TEST(ZipReaderTest, NameScanStreamsLongRecordsAndKeepsNone) {
    ZipWriter writer;
    for (int i = 0; i < 6; ++i) {
        writer.add(std::string(13000 * i + 1, 'n') + (i % 2 ? ".jar" : ".txt"), "x",
                   ZipMethod::kStored);
        writer.setCentralComment(testing::noise(65535 - i, i + 1));
    }
    MemoryArchive archive(testing::noise(3000, 2) + writer.finish());
    EXPECT_EQ(archive.countJarNames(), 3);
    EXPECT_EQ(archive.reader.entryCount(), 0);
    archive.reader.loadRecords();
    EXPECT_EQ(archive.reader.entryCount(), 6);
}

TEST(ZipReaderTest, OpeningTwiceKeepsTheFirstArchive) {
    MemoryArchive first(threeEntries());
    ASSERT_EQ(first.open(), 0);
    ZipWriter other;
    other.add("only.txt", "x");
    std::string otherBytes = other.finish();
    CZipMemorySource second;
    second.attach(reinterpret_cast<const unsigned char*>(otherBytes.data()),
                  static_cast<uint32_t>(otherBytes.size()));
    first.reader.open(second, CZipReader::Mode::kReadOnly);
    EXPECT_EQ(first.reader.entryCount(), 3);
    EXPECT_EQ(first.reader.entry(2).name, "a.txt");
}

TEST(ZipReaderTest, EveryShortReadDuringTheOpenFails) {
    const std::string archive = std::string(50000, 'p') + threeEntries(nullptr, false, "comment");
    ShortReadSource counting;
    counting.attach(reinterpret_cast<const unsigned char*>(archive.data()),
                    static_cast<uint32_t>(archive.size()));
    {
        CZipReader reader;
        reader.open(counting, CZipReader::Mode::kReadOnly);
    }
    ASSERT_GE(counting.reads, 4);  // tail window(s), end record, comment, directory
    for (int failAt = 0; failAt < counting.reads; ++failAt) {
        ShortReadSource source;
        source.attach(reinterpret_cast<const unsigned char*>(archive.data()),
                      static_cast<uint32_t>(archive.size()));
        source.failAt = failAt;
        CZipReader reader;
        try {
            reader.open(source, CZipReader::Mode::kReadOnly);
            ADD_FAILURE() << "short read " << failAt << " was accepted";
        } catch (const CZipException& e) {
            EXPECT_EQ(e.code(), CZipException::badArchive) << failAt;
        }
    }
}

TEST(ZipReaderTest, FileSourceReadsTheAppendedArchive) {
    testing::ScratchDirectory scratch;
    const std::string prefix = testing::noise(3000, 3);
    std::string path = scratch.write("app.exe", prefix + threeEntries());
    CZipReader reader;
    reader.open(path.c_str(), CZipReader::Mode::kReadOnly, 0);
    EXPECT_EQ(reader.bytesBeforeArchive(), prefix.size());
    EXPECT_EQ(reader.entryCount(), 3);

    // A file that does not open is unreadable (badArchive); an empty one has no end record.
    const std::pair<std::string, int> failures[] = {
        {scratch.path() + "absent.exe", CZipException::badArchive},
        {scratch.makeDirectory("folder.exe"), CZipException::badArchive},
        {scratch.write("empty.exe", ""), CZipException::endRecordNotFound},
    };
    for (const auto& failure : failures) {
        CZipReader other;
        try {
            other.open(failure.first.c_str(), CZipReader::Mode::kReadOnly, 0);
            ADD_FAILURE() << failure.first << " opened";
        } catch (const CZipException& e) {
            EXPECT_EQ(e.code(), failure.second) << failure.first;
        }
        EXPECT_FALSE(other.isOpen());
    }
}

TEST(ZipReaderTest, SliceSourceReadsItsStretchOfTheFile) {
    testing::ScratchDirectory scratch;
    const std::string archive = threeEntries();
    const std::string path = scratch.write("app.exe", "front" + archive + "back");
    platform::ReadOnlyFile file;
    ASSERT_TRUE(file.open(path.c_str()));
    CZipFileSliceSource slice;
    slice.attach(&file, 5, static_cast<uint32_t>(archive.size()));
    CZipReader reader;
    reader.open(slice, CZipReader::Mode::kReadOnly);
    EXPECT_EQ(reader.bytesBeforeArchive(), 0u);
    EXPECT_EQ(reader.entryCount(), 3);

    // Reads stop at the end of the stretch, never at the end of the file.
    const struct {
        int64_t position;
        uint32_t wanted;
        std::string delivered;
    } reads[] = {
        {0, 4, archive.substr(0, 4)},
        {static_cast<int64_t>(archive.size()) - 2, 10, archive.substr(archive.size() - 2)},
        {static_cast<int64_t>(archive.size()), 4, ""},
        {static_cast<int64_t>(archive.size()) + 100, 4, ""},
    };
    for (const auto& r : reads) {
        char buffer[16] = {};
        EXPECT_EQ(slice.seek(r.position, SeekOrigin::kBegin), r.position);
        // A read at an offset delivers all it asks for or fails, and moves no position.
        const bool whole = r.delivered.size() == r.wanted;
        EXPECT_EQ(slice.readAt(static_cast<uint64_t>(r.position), buffer, r.wanted), whole);
        const uint32_t n = slice.read(buffer, r.wanted);
        EXPECT_EQ(std::string(buffer, n), r.delivered) << r.position;
    }
    EXPECT_EQ(slice.seek(-1, SeekOrigin::kBegin), -1);
    slice.close();
    char buffer[4];
    EXPECT_EQ(slice.read(buffer, 4), 0u);
    EXPECT_EQ(slice.length(), 0u);
}

}  // namespace
}  // namespace oru
