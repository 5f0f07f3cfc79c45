// The system's registry of installed software (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER).
#pragma once

#include "support/narrow_string.h"

namespace oru::platform {

enum class RegistryRoot { kMachine, kUser };

// Read access to registry keys, as the running launcher sees them: a 32-bit launcher
// on 64-bit Windows reads the keys of 32-bit programs (below WOW6432Node), a 64-bit one
// those of 64-bit programs. Tests stand in their own registry.
class Registry {
public:
    // Reads the value `valueName` of the key `keyPath` below `root` into `out`. Returns
    // false (and leaves `out` empty) when the key or the value is missing, the value is
    // not a string (REG_SZ or REG_EXPAND_SZ) or does not fit kPathCapacity bytes.
    virtual bool readValue(RegistryRoot root, const char* keyPath, const char* valueName,
                           NarrowString& out) const = 0;
    // The name of the subkey number `index` (from 0) of `keyPath` below `root`; false
    // past the last one, or when the key is missing.
    virtual bool subkeyName(RegistryRoot root, const char* keyPath, int index,
                            NarrowString& out) const = 0;

protected:
    // Registries live as long as the process (or a test) and are never deleted through
    // this interface; a trivial destructor keeps the system's one free of start-up code.
    ~Registry() = default;
};

// The system's registry; on a platform without one, a registry without keys.
const Registry& systemRegistry();

}  // namespace oru::platform
