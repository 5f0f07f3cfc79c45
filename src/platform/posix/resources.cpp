// Message string tables on Linux: the blocks built into the executable, chosen by locale.
// Only Linux code belongs in this file.
#include "platform/resources.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/posix/string_tables.h"

namespace oru::platform {

namespace {

const char* localeName() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "";
}

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int userLanguage() {
    const char* locale = localeName();
    if (!startsWith(locale, "zh")) return kLanguageEnglish;
    if (startsWith(locale, "zh_TW") || startsWith(locale, "zh_HK") || startsWith(locale, "zh_MO"))
        return kLanguageTraditionalChinese;
    return kLanguageSimplifiedChinese;
}

bool findStringBlock(int blockNumber, StringBlock& out, int language) {
    out = StringBlock{};
    if (language == 0) language = userLanguage();
    const EmbeddedStringBlock* fallback = nullptr;
    for (size_t i = 0; i < kEmbeddedStringBlockCount; ++i) {
        const EmbeddedStringBlock& block = kEmbeddedStringBlocks[i];
        if (block.blockNumber != blockNumber) continue;
        if (block.language == language) {
            out = StringBlock{block.units, block.count};
            return true;
        }
        if (block.language == kLanguageEnglish) fallback = &block;
    }
    // As the Windows loader does, another present language serves when the user's is missing.
    if (!fallback) return false;
    out = StringBlock{fallback->units, fallback->count};
    return true;
}

}  // namespace oru::platform
