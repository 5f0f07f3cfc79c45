// Telling an oru launcher from any other file: its executable format and its natives.
#include "launcher_check.h"

#include "archive/archive_region.h"
#include "support/little_endian.h"

namespace oru::tools {

namespace {

bool isElf(const std::string& image) {
    return image.size() >= 64 && image.compare(0, 4,
                                               "\x7f"
                                               "ELF") == 0;
}

bool isPe(const std::string& image) {
    return hasPeSignature(reinterpret_cast<const unsigned char*>(image.data()), image.size());
}

// The natives every launcher binds (a Windows launcher exports them under these names, a
// Linux launcher registers them on this class), and its message tables, which hold their
// texts in UTF-16 on either system. oru-pack itself carries the class name but no tables.
bool carriesLauncherParts(const std::string& image) {
    // Widened here, so that oru-pack's own bytes never hold the text in UTF-16.
    static const char kMessage[] = "Java Runtime Environment not found.";
    std::string table;
    for (const char* c = kMessage; *c; ++c) append16(table, static_cast<unsigned char>(*c));
    const bool natives =
        image.find("Java_com_vostrand_oru_KestrunClassLoader_findClass") != std::string::npos ||
        image.find("com/vostrand/oru/KestrunClassLoader") != std::string::npos;
    return natives && image.find(table) != std::string::npos;
}

}  // namespace

bool checkLauncher(const std::string& path, const std::string& image, std::string& error) {
    const bool executable = isElf(image) || isPe(image);
    if (executable && carriesLauncherParts(image)) return true;
    error = path + " is not an oru launcher (" +
            (executable ? "an executable without the launcher's natives and message tables"
                        : "not an ELF or PE executable") +
            ")";
    return false;
}

}  // namespace oru::tools
