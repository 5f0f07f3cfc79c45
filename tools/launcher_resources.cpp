// The splash bitmap and the icon as Windows resources, checked before they go in, and
// the step that adds them to a launcher.
#include "launcher_resources.h"

#include "input_file.h"
#include "support/little_endian.h"

namespace oru::tools {

namespace {

constexpr uint16_t kNeutralLanguage = 0;
constexpr uint16_t kEnglishLanguage = 1033;

Resource numbered(uint16_t type, uint16_t name, uint16_t language, std::string data) {
    Resource resource;
    resource.type.number = type;
    resource.name.number = name;
    resource.language = language;
    resource.data = std::move(data);
    return resource;
}

// Windows holds a picture it shows at 32 bits a pixel: a larger one is refused before
// anything is made of it.
constexpr uint64_t kLargestDecodedPicture = 256u << 20;

bool checkDecodedSize(int64_t width, int64_t height, std::string& error) {
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
    if (bytes > kLargestDecodedPicture) {
        error = "it measures " + std::to_string(width) + " x " + std::to_string(height) +
                ", more than 256 MiB once decoded";
        return false;
    }
    return true;
}

uint32_t get32be(const std::string& bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 |
           static_cast<uint8_t>(bytes[at + 3]);
}

// What a BMP file's info header says about its layout.
struct BitmapInfo {
    uint32_t headerSize = 0, bitCount = 0, compression = 0, colors = 0, imageSize = 0;
    int64_t width = 0, height = 0;
    uint32_t planes = 0, paletteEntry = 4;
};

bool readBitmapInfo(const std::string& file, BitmapInfo& info, std::string& error) {
    info.headerSize = get32(file, 14);
    if (info.headerSize == 12) {
        info.width = get16(file, 18);
        info.height = get16(file, 20);
        info.planes = get16(file, 22);
        info.bitCount = get16(file, 24);
        info.paletteEntry = 3;
    } else if (info.headerSize == 40 || info.headerSize == 52 || info.headerSize == 56 ||
               info.headerSize == 108 || info.headerSize == 124) {
        if (file.size() < 14 + info.headerSize) {
            error = "its header is cut short";
            return false;
        }
        info.width = static_cast<int32_t>(get32(file, 18));
        info.height = static_cast<int32_t>(get32(file, 22));
        info.planes = get16(file, 26);
        info.bitCount = get16(file, 28);
        info.compression = get32(file, 30);
        info.imageSize = get32(file, 34);
        info.colors = get32(file, 46);
    } else {
        error = "its header has an unknown size (" + std::to_string(info.headerSize) + ")";
        return false;
    }
    return true;
}

bool checkBitmapInfo(const BitmapInfo& info, std::string& error) {
    const uint32_t bits = info.bitCount;
    if (info.planes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        error = "it has " + std::to_string(bits) + " bits per pixel";
        return false;
    }
    if (info.width <= 0 || info.height == 0 || info.width > 32767 || info.height > 32767 ||
        info.height < -32767) {
        error = "it measures " + std::to_string(info.width) + " x " + std::to_string(info.height);
        return false;
    }
    const bool run = (info.compression == 1 && bits == 8) || (info.compression == 2 && bits == 4);
    const bool fields = info.compression == 3 && (bits == 16 || bits == 32);
    if (info.compression != 0 && !run && !fields) {
        error = "its compression (" + std::to_string(info.compression) +
                ") is not one Windows "
                "bitmaps use";
        return false;
    }
    if (run && (info.imageSize == 0 || info.height < 0)) {
        error = "its run-length data has no size";
        return false;
    }
    if (bits <= 8 && info.colors > (1u << bits)) {
        error = "its palette is too long";
        return false;
    }
    return checkDecodedSize(info.width, info.height < 0 ? -info.height : info.height, error);
}

// The file header and info header of a BMP file, checked: false with the reason when
// Windows would not load the picture or it is too large.
bool readBitmapHeader(const std::string& file, BitmapInfo& info, std::string& error) {
    if (file.size() < 14 + 12 || file.compare(0, 2, "BM") != 0) {
        error = "it does not start with a BMP header";
        return false;
    }
    return readBitmapInfo(file, info, error) && checkBitmapInfo(info, error);
}

const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// Whether `image` (one image of an icon) is a PNG: its signature followed by the IHDR
// chunk, whose width and height are checked like a bitmap's.
bool checkPngImage(const std::string& image, std::string& error) {
    if (image.size() < 8 + 8 + 13 || image.compare(12, 4, "IHDR") != 0) {
        error = "its PNG header is cut short";
        return false;
    }
    const uint32_t width = get32be(image, 16), height = get32be(image, 20);
    if (width == 0 || height == 0 || width > 32767 || height > 32767) {
        error = "it measures " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    return checkDecodedSize(width, height, error);
}

// Whether `image` (one image of an icon) is a bitmap Windows draws: its 40-byte header,
// the palette, the colour pixels and the mask (the header's height counts both), all
// inside the image's own bytes.
bool checkIconBitmap(const std::string& image, std::string& error) {
    if (image.size() < 40) {
        error = "its header is cut short";
        return false;
    }
    const int64_t width = static_cast<int32_t>(get32(image, 4));
    const int64_t height = static_cast<int32_t>(get32(image, 8));
    const uint32_t planes = get16(image, 12), bits = get16(image, 14);
    const uint32_t compression = get32(image, 16), colors = get32(image, 32);
    if (planes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        error = "it has " + std::to_string(bits) + " bits per pixel";
        return false;
    }
    if (width <= 0 || height <= 1 || width > 32767 || height > 65534 || compression != 0 ||
        (bits <= 8 && colors > (1u << bits))) {
        error = "its header does not describe an icon image";
        return false;
    }
    const uint64_t rows = static_cast<uint64_t>(height) / 2;
    const uint64_t palette = bits <= 8 ? (colors ? colors : 1u << bits) * 4ull : colors * 4ull;
    const uint64_t colour = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4 * rows;
    const uint64_t mask = (static_cast<uint64_t>(width) + 31) / 32 * 4 * rows;
    if (!checkDecodedSize(width, static_cast<int64_t>(rows), error)) return false;
    if (40 + palette + colour + mask > image.size()) {
        error = "its pixels are cut short";
        return false;
    }
    return true;
}

bool checkIconImage(const std::string& image, std::string& error) {
    if (image.size() >= 8 && image.compare(0, 8, kPngSignature, 8) == 0)
        return checkPngImage(image, error);
    if (image.size() >= 4 && get32(image, 0) == 40) return checkIconBitmap(image, error);
    error = "it is not a PNG or bitmap";
    return false;
}

}  // namespace

bool bitmapHeaderUsable(const std::string& start, std::string& error) {
    BitmapInfo info;
    return readBitmapHeader(start, info, error);
}

bool bitmapResource(const std::string& file, std::string& resource, std::string& error) {
    BitmapInfo info;
    if (!readBitmapHeader(file, info, error)) return false;
    const bool fieldsAfterHeader = info.headerSize == 40 && info.compression == 3;
    const uint64_t paletteCount =
        info.bitCount <= 8 ? (info.colors ? info.colors : 1u << info.bitCount) : info.colors;
    const uint64_t table =
        info.headerSize + (fieldsAfterHeader ? 12 : 0) + paletteCount * info.paletteEntry;
    const uint64_t stride = (static_cast<uint64_t>(info.width) * info.bitCount + 31) / 32 * 4;
    const uint64_t rows = static_cast<uint64_t>(info.height < 0 ? -info.height : info.height);
    const uint64_t pixels =
        info.compression == 1 || info.compression == 2 ? info.imageSize : stride * rows;
    const uint64_t pixelsAt = get32(file, 10);
    if (14 + table > file.size() || pixelsAt < 14 + table || pixelsAt > file.size() ||
        file.size() - pixelsAt < pixels) {
        error = "its pixels are cut short";
        return false;
    }
    // Windows loads the info header, the palette and the pixels as one block.
    resource = file.substr(14, table) + file.substr(pixelsAt, pixels);
    return true;
}

bool putIcon(const std::string& file, ResourceTable& table, std::string& error) {
    if (file.size() < 6 || get16(file, 0) != 0 || get16(file, 2) != 1 || get16(file, 4) == 0) {
        error = "it does not start with an ICO header";
        return false;
    }
    const uint32_t count = get16(file, 4);
    if (count > kLargestIconCount) {
        error = "it holds " + std::to_string(count) + " images; an icon may hold at most " +
                std::to_string(kLargestIconCount);
        return false;
    }
    if (file.size() < 6 + 16 * count) {
        error = "its directory is cut short";
        return false;
    }
    std::string group = file.substr(0, 6);
    std::vector<Resource> images;
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const uint32_t size = get32(file, entry + 8), offset = get32(file, entry + 12);
        const std::string where = "image " + std::to_string(i + 1);
        if (offset > file.size() || file.size() - offset < size) {
            error = where + " is not inside the file";
            return false;
        }
        // Images that share their bytes would be copied once for each: the copies of
        // one file may take no more than the file.
        total += size;
        if (total > file.size()) {
            error = where + " overlaps another";
            return false;
        }
        std::string image = file.substr(offset, size);
        if (!checkIconImage(image, error)) {
            error = where + ": " + error;
            return false;
        }
        const bool png = get32(image, 0) != 40;
        // Windows picks an image by its planes and bit count; ICO files may leave them 0.
        const uint32_t planes = get16(file, entry + 4) ? get16(file, entry + 4) : 1;
        const uint32_t bits = get16(file, entry + 6) ? get16(file, entry + 6)
                              : png                  ? 32
                                                     : get16(image, 14);
        group += file.substr(entry, 4);
        append16(group, planes);
        append16(group, bits);
        append32(group, size);
        append16(group, i + 1);
        images.push_back(numbered(kResourceIcon, static_cast<uint16_t>(i + 1), kNeutralLanguage,
                                  std::move(image)));
    }
    table.removeType(kResourceIcon);
    table.removeType(kResourceGroupIcon);
    for (Resource& image : images) table.put(std::move(image));
    table.put(numbered(kResourceGroupIcon, 1, kNeutralLanguage, group));
    return true;
}

namespace {

// The requested resources, made from their files before the launcher is looked at: a
// file that cannot be read or used is named before anything else is said.
bool makeRequestedResources(const ResourceRequest& request, std::vector<Resource>& made,
                            ResourceTable& icons, std::string& error) {
    std::string bytes, resource;
    if (!request.splashPath.empty()) {
        // The headers first: a picture too large to use is refused before it is read.
        if (!readInputStart(request.splashPath, kLargestPictureFile, kBitmapHeadersSize, bytes,
                            error))
            return false;
        const bool usable = bitmapHeaderUsable(bytes, error);
        if (usable && !readInputFile(request.splashPath, kLargestPictureFile, bytes, error))
            return false;
        if (!usable || !bitmapResource(bytes, resource, error)) {
            error = request.splashPath + " is not a BMP picture: " + error;
            return false;
        }
        made.push_back(numbered(kResourceBitmap, kSplashBitmapId, kNeutralLanguage, resource));
    }
    if (!request.iconPath.empty()) {
        if (!readInputFile(request.iconPath, kLargestIconFile, bytes, error)) return false;
        if (!putIcon(bytes, icons, error)) {
            error = request.iconPath + " is not an icon: " + error;
            return false;
        }
    }
    if (!request.versionInfo.empty()) {
        if (!versionResource(request.versionInfo, resource, error)) return false;
        made.push_back(numbered(kResourceVersion, 1, kEnglishLanguage, resource));
    }
    return true;
}

}  // namespace

bool addLauncherResources(std::string& launcher, const ResourceRequest& request,
                          std::string& error) {
    if (request.empty()) return true;
    std::vector<Resource> made;
    ResourceTable icons;
    if (!makeRequestedResources(request, made, icons, error)) return false;
    ResourceTable table;
    if (!readResources(launcher, table, error)) {
        error = "--splash, --icon and --version-info need a Windows launcher (" + error + ")";
        return false;
    }
    if (!request.iconPath.empty()) {
        table.removeType(kResourceIcon);
        table.removeType(kResourceGroupIcon);
    }
    for (Resource& resource : icons.all()) table.put(std::move(resource));
    for (Resource& resource : made) table.put(std::move(resource));
    std::string image = launcher;
    if (!writeResources(image, table, error)) return false;
    launcher = std::move(image);
    return true;
}

}  // namespace oru::tools
