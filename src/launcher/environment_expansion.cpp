// Expanding %NAME% references in configuration values.
#include "launcher/launcher_config.h"

#include <cstring>

#include "platform/environment.h"

namespace oru {

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
            output.append(bytes + copiedUpTo, static_cast<int>(open - bytes) - copiedUpTo);
            output.append(value);
            copiedUpTo = scan = static_cast<int>(close - bytes) + 1;
        } else {
            // The closing "%" of an undefined reference may open the next one.
            scan = static_cast<int>(close - bytes);
        }
    }
    output.append(bytes + copiedUpTo, input.length() - copiedUpTo);
    return output;
}

}  // namespace oru
