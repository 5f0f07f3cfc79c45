// The archive region of signed executables: where the certificate table cuts the file,
// and security directories that do not add up, read as unsigned.
#include <gtest/gtest.h>

#include "archive/archive_region.h"
#include "archive/embedded_archive.h"
#include "archive_test_support.h"
#include "launcher/config_load.h"
#include "support/little_endian.h"
#include "test_support.h"
#include "zip_writer.h"

namespace oru {
namespace {

constexpr uint32_t kPeOffset = 0x40;
constexpr uint32_t kOptional = kPeOffset + 24;

// PE headers with a security directory entry of (offset, size), padded to `size` bytes.
std::string peHeaders(bool plus, uint32_t tableOffset, uint32_t tableSize, size_t size = 512) {
    std::string headers(size, '\0');
    headers[0] = 'M';
    headers[1] = 'Z';
    set32(headers, 0x3C, kPeOffset);
    headers.replace(kPeOffset, 4, std::string("PE\0\0", 4));
    const uint32_t directories = plus ? 112 : 96;
    set16(headers, kPeOffset + 20, directories + 16 * 8);  // size of the optional header
    set16(headers, kOptional, plus ? 0x20B : 0x10B);
    set32(headers, kOptional + directories - 4, 16);  // number of directories
    set32(headers, kOptional + directories + 4 * 8, tableOffset);
    set32(headers, kOptional + directories + 4 * 8 + 4, tableSize);
    return headers;
}

// A certificate table of `size` bytes (a multiple of 8) with a well-formed header.
std::string certificateTable(uint32_t size) {
    std::string table(size, '\x5A');
    set32(table, 0, size);
    set16(table, 4, 0x0200);
    set16(table, 6, 2);
    return table;
}

struct SignedFile {
    std::string bytes;
    uint32_t tableOffset = 0;
};

// Headers and an archive with a comment of `commentSize` bytes, as a signing tool leaves
// them: `padding` zeros align the certificate table that follows.
SignedFile signedFile(bool plus, uint32_t padding, size_t commentSize = 40) {
    tools::ZipWriter archive;
    archive.add("a/b.txt", "the entry");
    std::string comment = "mainclass x.Y\r\n";
    comment += std::string(commentSize - comment.size(), 'c');
    const std::string zip = archive.finish(comment);
    std::string body;
    for (size_t headers = 512; (body.size() + padding) % 8 != 0 || body.empty(); ++headers)
        body = peHeaders(plus, 0, 0, headers) + zip;
    SignedFile file;
    file.tableOffset = static_cast<uint32_t>(body.size() + padding);
    file.bytes = body + std::string(padding, '\0') + certificateTable(4896);
    set32(file.bytes, kOptional + (plus ? 112 : 96) + 32, file.tableOffset);
    set32(file.bytes, kOptional + (plus ? 112 : 96) + 36, 4896);
    return file;
}

uint64_t regionOf(const std::string& bytes) {
    return findArchiveRegion(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())
        .length;
}

TEST(ArchiveRegionTest, SignedExecutablesReadAsBeforeSigning) {
    for (bool plus : {false, true}) {
        // Seven bytes of padding with the largest comment: the search still finds it.
        for (uint32_t padding : {0u, 7u}) {
            SignedFile file = signedFile(plus, padding, 2048);
            EXPECT_EQ(regionOf(file.bytes), file.tableOffset);
            testing::ScratchDirectory dir;
            std::string path = dir.write("signed.exe", file.bytes);
            NarrowString comment = readArchiveComment(path.c_str());
            EXPECT_EQ(std::string(comment.c_str(), 15), "mainclass x.Y\r\n") << padding;
            EmbeddedArchive store(2);
            store.open(path.c_str());
            EXPECT_EQ(testing::readText(store, "a/b.txt"), "the entry") << padding;
        }
    }
}

TEST(ArchiveRegionTest, DirectoriesThatDoNotAddUpReadAsUnsigned) {
    const SignedFile good = signedFile(false, 0);
    const uint32_t entry = kOptional + 96 + 32;
    const uint32_t end = static_cast<uint32_t>(good.bytes.size());
    const struct {
        const char* label;
        uint32_t offset;
        uint32_t size;
    } cases[] = {
        {"empty", 0, 0},
        {"past the end", end + 8, 8},
        {"size wraps", good.tableOffset, 0xFFFFFFF8},
        {"not at the end", good.tableOffset, 4888},
        {"misaligned", good.tableOffset + 4, 4892},
        {"inside the headers", 8, end - 8},
        {"into the archive", 1024, end - 1024},
        {"too small", end - 4, 4},
    };
    for (const auto& c : cases) {
        std::string bytes = good.bytes;
        set32(bytes, entry, c.offset);
        set32(bytes, entry + 4, c.size);
        EXPECT_EQ(regionOf(bytes), bytes.size()) << c.label;
    }
    std::string badHeader = good.bytes;
    set16(badHeader, good.tableOffset + 4, 0x0300);  // no such revision
    EXPECT_EQ(regionOf(badHeader), badHeader.size());
    std::string notPe = good.bytes;
    notPe[0] = 'X';
    EXPECT_EQ(regionOf(notPe), notPe.size());
    for (size_t cut : {size_t{2}, size_t{0x40}, size_t{0x60}})
        EXPECT_EQ(regionOf(good.bytes.substr(0, cut)), cut) << "cut at " << cut;
}

}  // namespace
}  // namespace oru
