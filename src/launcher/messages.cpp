// Messages: walking a string-table block and formatting the result.
#include "launcher/messages.h"

#include <cstdarg>

#include "platform/formatting.h"
#include "platform/resources.h"
#include "platform/text_codec.h"

namespace oru {

bool loadMessageText(int id, NarrowString& out, int language) {
    out = NarrowString("", 0);
    if (id < 0) return false;
    platform::StringBlock block;
    if (!platform::findStringBlock(id / 16 + 1, block, language)) return false;
    // Skip the counted strings in front of ours; a length word outside the block counts as 0.
    size_t pos = 0;
    auto lengthAt = [&](size_t at) -> size_t { return at < block.count ? block.units[at] : 0; };
    for (int skip = id % 16; skip > 0; --skip) pos += lengthAt(pos) + 1;
    size_t length = lengthAt(pos);
    if (pos + 1 + length > block.count) length = pos + 1 < block.count ? block.count - pos - 1 : 0;
    if (length > 0) platform::wideToNarrow(block.units + pos + 1, static_cast<int>(length), out);
    return true;
}

void formatMessage(NarrowString& out, const char* format, ...) {
    constexpr int kRoom = 1024;
    out.reserve(kRoom);
    va_list arguments;
    va_start(arguments, format);
    const int written = platform::formatInto(out.data(), out.capacity(), format, arguments);
    va_end(arguments);
    out.resize(written);
}

}  // namespace oru
