// The splash bitmap and the icon as Windows resources, checked before they go in, and
// the step that adds them to a launcher.
#include "launcher_resources.h"

#include "little_endian.h"
#include "packer.h"

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
    return true;
}

bool isIconImage(const std::string& file, uint32_t offset, uint32_t size) {
    if (size < 8) return false;
    return file.compare(offset, 8, "\x89PNG\r\n\x1a\n") == 0 || get32(file, offset) == 40;
}

}  // namespace

bool bitmapResource(const std::string& file, std::string& resource, std::string& error) {
    if (file.size() < 14 + 12 || file.compare(0, 2, "BM") != 0) {
        error = "it does not start with a BMP header";
        return false;
    }
    BitmapInfo info;
    if (!readBitmapInfo(file, info, error) || !checkBitmapInfo(info, error)) return false;
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
    if (file.size() < 6 + 16 * count) {
        error = "its directory is cut short";
        return false;
    }
    std::string group = file.substr(0, 6);
    std::vector<Resource> images;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const uint32_t size = get32(file, entry + 8), offset = get32(file, entry + 12);
        if (offset > file.size() || file.size() - offset < size ||
            !isIconImage(file, offset, size)) {
            error = "image " + std::to_string(i + 1) + " is not a PNG or bitmap inside the file";
            return false;
        }
        const bool png = get32(file, offset) != 40;
        // Windows picks an image by its planes and bit count; ICO files may leave them 0.
        const uint32_t planes = get16(file, entry + 4) ? get16(file, entry + 4) : 1;
        const uint32_t bits = get16(file, entry + 6) ? get16(file, entry + 6)
                              : png                  ? 32
                                                     : get16(file, offset + 14);
        group += file.substr(entry, 4);
        append16(group, planes);
        append16(group, bits);
        append32(group, size);
        append16(group, i + 1);
        images.push_back(numbered(kResourceIcon, static_cast<uint16_t>(i + 1), kNeutralLanguage,
                                  file.substr(offset, size)));
    }
    table.removeType(kResourceIcon);
    table.removeType(kResourceGroupIcon);
    for (Resource& image : images) table.put(std::move(image));
    table.put(numbered(kResourceGroupIcon, 1, kNeutralLanguage, group));
    return true;
}

bool addLauncherResources(std::string& launcher, const ResourceRequest& request,
                          std::string& error) {
    if (request.empty()) return true;
    ResourceTable table;
    if (!readResources(launcher, table, error)) {
        error = "--splash, --icon and --version-info need a Windows launcher (" + error + ")";
        return false;
    }
    std::string bytes, resource;
    if (!request.splashPath.empty()) {
        if (!readInputFile(request.splashPath, bytes, error)) return false;
        if (!bitmapResource(bytes, resource, error)) {
            error = request.splashPath + " is not a BMP picture: " + error;
            return false;
        }
        table.put(numbered(kResourceBitmap, kSplashBitmapId, kNeutralLanguage, resource));
    }
    if (!request.iconPath.empty()) {
        if (!readInputFile(request.iconPath, bytes, error)) return false;
        if (!putIcon(bytes, table, error)) {
            error = request.iconPath + " is not an icon: " + error;
            return false;
        }
    }
    if (!request.versionInfo.empty()) {
        if (!versionResource(request.versionInfo, resource, error)) return false;
        table.put(numbered(kResourceVersion, 1, kEnglishLanguage, resource));
    }
    std::string image = launcher;
    if (!writeResources(image, table, error)) return false;
    launcher = std::move(image);
    return true;
}

}  // namespace oru::tools
