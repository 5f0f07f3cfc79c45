// Small Windows files that tests build byte by byte.
#include "windows_images.h"

#include "support/little_endian.h"

namespace oru::testing {

std::string bmpFile(int width, int height, int bits, uint32_t compression) {
    const int palette = bits <= 8 ? 4 << bits : 0;
    const int stride = (width * bits + 31) / 32 * 4;
    std::string file(14 + 40 + palette + stride * (height < 0 ? -height : height), '\x5A');
    file.replace(0, 2, "BM");
    set32(file, 2, static_cast<uint32_t>(file.size()));
    set32(file, 10, static_cast<uint32_t>(14 + 40 + palette));
    set32(file, 14, 40);
    set32(file, 18, static_cast<uint32_t>(width));
    set32(file, 22, static_cast<uint32_t>(height));
    set16(file, 26, 1);
    set16(file, 28, static_cast<uint32_t>(bits));
    set32(file, 30, compression);
    set32(file, 34, 0);
    set32(file, 46, 0);
    return file;
}

std::string icoFile(const std::vector<std::string>& images) {
    std::string file(6 + 16 * images.size(), '\0');
    set16(file, 2, 1);
    set16(file, 4, static_cast<uint32_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        file[6 + 16 * i] = 16;
        file[7 + 16 * i] = 16;
        set32(file, 14 + 16 * i, static_cast<uint32_t>(images[i].size()));
        set32(file, 18 + 16 * i, static_cast<uint32_t>(file.size()));
        file += images[i];
    }
    return file;
}

std::string smallPeImage(bool imports) {
    std::string pe(0x600, '\0');
    pe.replace(0, 2, "MZ");
    set32(pe, 0x3C, 0x40);
    pe.replace(0x40, 4, std::string("PE\0\0", 4));
    set16(pe, 0x46, 2);    // sections
    set16(pe, 0x54, 240);  // optional header size
    const size_t optional = 0x58;
    set16(pe, optional, 0x20B);
    set32(pe, optional + 32, 0x1000);  // section alignment
    set32(pe, optional + 36, 0x200);   // file alignment
    set32(pe, optional + 56, 0x3000);  // image size
    set32(pe, optional + 108, 16);     // data directories
    set32(pe, optional + 112 + 8 * 2, 0x1000);
    set32(pe, optional + 112 + 8 * 2 + 4, 16);
    set32(pe, optional + 112 + 8 * (imports ? 1 : 5), 0x2000);
    set32(pe, optional + 112 + 8 * (imports ? 1 : 5) + 4, 12);
    const char* names[] = {".rsrc", imports ? ".idata" : ".reloc"};
    for (int s = 0; s < 2; ++s) {
        const size_t header = optional + 240 + 40 * s;
        pe.replace(header, std::string(names[s]).size(), names[s]);
        set32(pe, header + 8, s == 0 ? 16 : 12);
        set32(pe, header + 12, 0x1000 + 0x1000 * s);
        set32(pe, header + 16, 0x200);
        set32(pe, header + 20, 0x200 + 0x200 * s);
    }
    pe.replace(0x400, 12, "relocations!");
    return pe;
}

}  // namespace oru::testing
