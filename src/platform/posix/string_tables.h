// The string-table blocks that the build generates from resources/messages.rc.
// Only Linux code belongs in this file.
#pragma once

#include <cstddef>

namespace oru::platform {

struct EmbeddedStringBlock {
    int blockNumber;
    int language;
    const char16_t* units;
    size_t count;
};

extern const EmbeddedStringBlock kEmbeddedStringBlocks[];
extern const size_t kEmbeddedStringBlockCount;

// The table language the locale variables select.
int userLanguage();

}  // namespace oru::platform
