// Expanding %NAME% references in configuration values.
#include "platform/environment_expansion.h"

#include <cstdint>
#include <cstring>

#include "platform/environment.h"

namespace oru {

namespace {

// An expansion that would pass this many bytes is refused: a handful of references to a
// long variable would otherwise claim memory without bound.
constexpr int64_t kLargestExpansion = 1 << 20;

}  // namespace

NarrowString expandEnvironment(const char* text) {
    NarrowString input(text);
    NarrowString output("", 0);
    const char* bytes = input.c_str();
    int copiedUpTo = 0;
    for (int scan = 0;;) {
        const char* open = std::strchr(bytes + scan, '%');
        if (!open) break;
        const char* close = std::strchr(open + 1, '%');
        if (!close) break;
        NarrowString name(open + 1, static_cast<int>(close - open - 1));
        NarrowString value;
        if (platform::environmentValue(name.c_str(), value)) {
            // Too long: the value stays as written, as with an undefined reference.
            if (output.length() + (open - bytes - copiedUpTo) + value.length() > kLargestExpansion)
                return input;
            output.append(bytes + copiedUpTo, static_cast<int>(open - bytes) - copiedUpTo);
            output.append(value);
            copiedUpTo = scan = static_cast<int>(close - bytes) + 1;
        } else {
            // The closing "%" of an undefined reference may open the next one.
            scan = static_cast<int>(close - bytes);
        }
    }
    if (output.length() + (input.length() - copiedUpTo) > kLargestExpansion) return input;
    output.append(bytes + copiedUpTo, input.length() - copiedUpTo);
    return output;
}

}  // namespace oru
