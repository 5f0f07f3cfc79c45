// Linux has no registry: every lookup fails (the system runtime is found on PATH).
// Only Linux code belongs in this file.
#include "platform/registry.h"

namespace oru::platform {

bool readMachineValue(const char*, const char*, NarrowString& out) {
    out = "";
    return false;
}

}  // namespace oru::platform
