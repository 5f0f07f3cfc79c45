// The launcher's narrow and wide strings filled through the platform's text codec.
#include "platform/text_codec.h"

#include <cstring>

namespace oru::platform {

void wideToNarrow(const char16_t* units, int count, NarrowString& out) {
    out.resize(0);
    if (!units || count == 0) return;
    const int needed = wideToNarrow(units, count, nullptr, 0);
    if (needed <= 0) return;
    out.resize(needed);
    int written = wideToNarrow(units, count, out.data(), needed);
    if (written < 0) written = 0;
    out.data()[written < needed ? written : needed] = '\0';
    out.resize(static_cast<int>(std::strlen(out.data())));
}

void narrowToWide(const char* bytes, int count, WideString& out) {
    out.resize(0);
    if (!bytes || count == 0) return;
    const int needed = narrowToWide(bytes, count, nullptr, 0);
    if (needed <= 0) return;
    out.resize(needed);
    int written = narrowToWide(bytes, count, out.data(), needed);
    if (written < 0) written = 0;
    out.data()[written < needed ? written : needed] = 0;
    int length = 0;
    while (out.data()[length]) ++length;
    out.resize(length);
}

}  // namespace oru::platform
