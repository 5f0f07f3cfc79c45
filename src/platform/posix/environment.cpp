// The process environment on Linux.
// Only Linux code belongs in this file.
#include "platform/environment.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace oru::platform {

bool environmentValue(const char* name, NarrowString& out) {
    out = "";
    if (!name || !*name || std::strchr(name, '=')) return false;
    if (const char* exact = std::getenv(name)) {
        out = exact;
        return true;
    }
    // Windows names ignore case; configurations written for it may rely on that.
    size_t length = std::strlen(name);
    for (char** entry = environ; entry && *entry; ++entry) {
        if (strncasecmp(*entry, name, length) == 0 && (*entry)[length] == '=') {
            out = *entry + length + 1;
            return true;
        }
    }
    return false;
}

bool setEnvironmentValue(const char* name, const char* value) {
    return name && *name && value && setenv(name, value, 1) == 0;
}

bool clearEnvironmentValue(const char* name) { return name && *name && unsetenv(name) == 0; }

bool userCacheFolder(NarrowString& out) {
    if (environmentValue("XDG_CACHE_HOME", out) && out.byteAt(0) == '/') {
        out += "/";
        return true;
    }
    if (!environmentValue("HOME", out) || out.byteAt(0) != '/') return false;
    out += "/.cache/";
    return true;
}

}  // namespace oru::platform
