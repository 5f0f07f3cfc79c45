// Resources built into the executable: message string tables.
#pragma once

#include <cstddef>

namespace oru::platform {

// Language ids of the message tables.
constexpr int kLanguageEnglish = 1033;
constexpr int kLanguageTraditionalChinese = 1028;
constexpr int kLanguageSimplifiedChinese = 2052;

// One string-table block: 16 counted UTF-16 strings.
struct StringBlock {
    const char16_t* units = nullptr;
    size_t count = 0;
};

// The block `blockNumber` of the executable's string table in the user's language
// (language 0) or in the language named; false when there is no such block.
bool findStringBlock(int blockNumber, StringBlock& out, int language = 0);

}  // namespace oru::platform
