// oru-pack's Windows resources: pictures, icons and version strings checked and turned
// into resources, and a resource section rewritten and read back.
#include "pe_resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher_resources.h"
#include "support/little_endian.h"
#include "windows_images.h"

namespace oru::tools {
namespace {

std::string bmp(int width, int height, int bits, uint32_t compression = 0) {
    return testing::bmpFile(width, height, bits, compression);
}

TEST(PeResourcesTest, BitmapsWindowsLoads) {
    std::string gap = bmp(3, 2, 24);  // pixels behind a gap: the gap is left out
    gap.insert(54, "gap!");
    set32(gap, 10, 58);
    const struct {
        const char* name;
        std::string file;
        const char* error;  // part of the reason, or null when accepted
    } cases[] = {
        {"24 bits", bmp(400, 300, 24), nullptr},
        {"8 bits with palette", bmp(5, 3, 8), nullptr},
        {"top-down", bmp(4, -4, 32), nullptr},
        {"pixels behind a gap", gap, nullptr},
        {"not BMP", "GIF89a" + std::string(40, '\0'), "BMP header"},
        {"cut short", bmp(400, 300, 24).substr(0, 1000), "cut short"},
        {"7 bits", bmp(4, 4, 7), "bits per pixel"},
        {"no width", bmp(0, 4, 24), "measures"},
        {"JPEG inside", bmp(4, 4, 24, 4), "compression"},
        {"1 bit, 32767 x 32767",
         [] {
             std::string f = bmp(8, 8, 1);
             set32(f, 18, 32767);
             set32(f, 22, 32767);
             return f;
         }(),
         "more than 256 MiB once decoded"},
        {"unknown header",
         [] {
             std::string f = bmp(4, 4, 24);
             set32(f, 14, 41);
             return f;
         }(),
         "unknown size"},
    };
    for (const auto& c : cases) {
        std::string resource, error;
        const bool ok = bitmapResource(c.file, resource, error);
        EXPECT_EQ(ok, c.error == nullptr) << c.name << ": " << error;
        if (c.error) {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        }
        if (ok) {
            EXPECT_EQ(resource.substr(0, 40), c.file.substr(14, 40)) << c.name;
        }
        if (ok) {
            EXPECT_EQ(resource.size(), c.file.size() - 14 - (c.file == gap ? 4 : 0)) << c.name;
        }
    }
}

// An ICO file of one 16 x 16 image: a bitmap, or PNG bytes.
std::string ico(bool png, uint32_t offset = 22) {
    std::string image =
        png ? std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0", 29) +
                  "rest"
            : bmp(16, 32, 32).substr(14);
    std::string file(22, '\0');
    set16(file, 2, 1);
    set16(file, 4, 1);
    file[6] = 16;
    file[7] = 16;
    set32(file, 14, static_cast<uint32_t>(image.size()));
    set32(file, 18, offset);
    return file + image;
}

TEST(PeResourcesTest, IconsBecomeAGroupAndItsImages) {
    const struct {
        const char* name;
        std::string file;
        const char* error;
    } cases[] = {
        {"bitmap image", ico(false), nullptr},
        {"PNG image", ico(true), nullptr},
        {"a cursor",
         [] {
             std::string f = ico(false);
             set16(f, 2, 2);
             return f;
         }(),
         "ICO header"},
        {"no images", std::string("\0\0\1\0\0\0", 6), "ICO header"},
        {"image outside", ico(false, 5000), "image 1"},
        {"cut directory", ico(false).substr(0, 12), "cut short"},
        {"8-byte bitmap, bit count 0",
         [] {
             std::string f = ico(false).substr(0, 22 + 8);
             set32(f, 14, 8);
             return f;
         }(),
         "image 1: its header is cut short"},
        {"bitmap without its mask",
         [] {
             std::string f = ico(false);
             set32(f, 14, 40 + 16 * 16 * 4 + 63);
             return f.substr(0, 22 + 40 + 16 * 16 * 4 + 63);
         }(),
         "image 1: its pixels are cut short"},
        {"PNG without IHDR",
         [] {
             std::string f = ico(true);
             f[34] = 'X';
             return f;
         }(),
         "PNG header"},
        {"PNG of 40000 x 40000",
         [] {
             std::string f = ico(true);
             set32(f, 22 + 16, 0x409c0000);
             set32(f, 22 + 20, 0x409c0000);
             return f;
         }(),
         "measures"},
        {"two images of the same bytes",
         [] {
             std::string f = ico(false, 38);
             set16(f, 4, 2);
             f.insert(22, f.substr(6, 16));
             return f;
         }(),
         "image 2 overlaps another"},
        {"257 images",
         [] {
             std::string f = ico(false);
             set16(f, 4, 257);
             return f;
         }(),
         "it holds 257 images; an icon may hold at most 256"},
    };
    for (const auto& c : cases) {
        ResourceTable table;
        std::string error;
        const bool ok = putIcon(c.file, table, error);
        EXPECT_EQ(ok, c.error == nullptr) << c.name << ": " << error;
        if (c.error) {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
        }
        if (!ok) continue;
        ASSERT_EQ(table.all().size(), 2u) << c.name;
        const std::string& group = table.all()[1].data;
        EXPECT_EQ(table.all()[1].type.number, kResourceGroupIcon);
        EXPECT_EQ(group.size(), 6u + 14u);
        EXPECT_EQ(static_cast<uint8_t>(group[12]), 32) << c.name;  // bit count filled in
        EXPECT_EQ(table.all()[0].data, c.file.substr(22)) << c.name;
    }
}

TEST(PeResourcesTest, VersionInformation) {
    const struct {
        std::vector<std::string> lines;
        uint32_t fileHigh, fileLow, productHigh, productLow;
        const char* error;
    } cases[] = {
        {{"FileVersion=1.2.3.4", "ProductVersion=5.6"}, 0x10002, 0x30004, 0x50006, 0, nullptr},
        {{"fileversion=2.0-beta", "ProductName=X"}, 0x20000, 0, 0x20000, 0, nullptr},
        {{"CompanyName=Ünïcode €"}, 0, 0, 0, 0, nullptr},
        {{"Colour=blue"}, 0, 0, 0, 0, "KEY=VALUE"},
        {{"FileDescription"}, 0, 0, 0, 0, "KEY=VALUE"},
        {{"ProductName=a", "ProductName=b"}, 0, 0, 0, 0, "twice"},
        {{"FileVersion=one"}, 0, 0, 0, 0, "1.2.3.4"},
        {{"FileVersion=1.70000"}, 0, 0, 0, 0, "65535"},
        {{"Comments=\xff"}, 0, 0, 0, 0, "UTF-8"},
        {{"Comments=" + std::string(32000, 'c'), "ProductName=" + std::string(1000, 'p')},
         0,
         0,
         0,
         0,
         "it holds at most 65535"},
    };
    for (const auto& c : cases) {
        std::string resource, error;
        const bool ok = versionResource(c.lines, resource, error);
        EXPECT_EQ(ok, c.error == nullptr) << c.lines[0] << ": " << error;
        if (c.error) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
        if (!ok) continue;
        const size_t fixed = resource.find("\xBD\x04\xEF\xFE");
        ASSERT_EQ(fixed, 40u) << c.lines[0];
        EXPECT_EQ(get32(resource, 0) & 0xFFFF, resource.size());
        EXPECT_EQ(get32(resource, fixed + 8), c.fileHigh) << c.lines[0];
        EXPECT_EQ(get32(resource, fixed + 12), c.fileLow) << c.lines[0];
        EXPECT_EQ(get32(resource, fixed + 16), c.productHigh) << c.lines[0];
        EXPECT_EQ(get32(resource, fixed + 20), c.productLow) << c.lines[0];
    }
}

std::string image(bool imports) { return testing::smallPeImage(imports); }

TEST(PeResourcesTest, ResourceSectionRewrittenAndReadBack) {
    std::string pe = image(false);
    ResourceTable table;
    std::string error;
    ASSERT_TRUE(readResources(pe, table, error)) << "[" << error << "]";
    EXPECT_TRUE(table.all().empty());
    Resource named;
    named.type.name = u"CUSTOM";
    named.name.number = 7;
    named.data = "named type";
    table.put(named);
    std::string bitmap, big(9000, 'b');
    ASSERT_TRUE(bitmapResource(bmp(40, 30, 24), bitmap, error));
    for (uint16_t language : {2052, 1033}) {
        Resource r;
        r.type.number = kResourceBitmap;
        r.name.number = kSplashBitmapId;
        r.language = language;
        r.data = language == 1033 ? big : bitmap;
        table.put(r);
    }
    ASSERT_TRUE(writeResources(pe, table, error)) << error;

    ResourceTable back;
    ASSERT_TRUE(readResources(pe, back, error)) << error;
    ASSERT_EQ(back.all().size(), 3u);
    EXPECT_EQ(back.all()[0].type.name, u"CUSTOM");  // names before numbers
    EXPECT_EQ(back.all()[1].language, 1033);
    EXPECT_EQ(back.all()[1].data, big);
    EXPECT_EQ(back.all()[2].data, bitmap);
    // The relocations moved behind the grown section, bytes and directory entry alike.
    const uint32_t relocations = get32(pe, 0x58 + 112 + 8 * 5);
    EXPECT_EQ(relocations % 0x1000, 0u);
    EXPECT_GT(relocations, 0x1000u + 9000u);
    const size_t relocationHeader = 0x58 + 240 + 40;
    EXPECT_EQ(get32(pe, relocationHeader + 12), relocations);
    EXPECT_EQ(pe.substr(get32(pe, relocationHeader + 20), 12), "relocations!");
    EXPECT_EQ(get32(pe, 0x58 + 56), relocations + 0x1000);  // image size

    std::string fixed = image(true);
    EXPECT_FALSE(writeResources(fixed, table, error));
    EXPECT_NE(error.find(".idata"), std::string::npos) << error;
    std::string elf =
        "\x7f"
        "ELF" +
        std::string(100, '\0');
    EXPECT_FALSE(readResources(elf, back, error));
    EXPECT_NE(error.find("not a Windows executable"), std::string::npos) << error;
}

}  // namespace
}  // namespace oru::tools
