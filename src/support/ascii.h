// ASCII case folding, the same whatever the locale: keys and file extensions compare
// under it in the launcher and in oru-pack alike.
#pragma once

namespace oru {

inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace oru
