// The system's registry of installed software (HKEY_LOCAL_MACHINE).
#pragma once

#include "support/narrow_string.h"

namespace oru::platform {

// Reads the value `valueName` of the key `keyPath` below HKEY_LOCAL_MACHINE into `out`.
// Returns false (and leaves `out` empty) when the key or the value is missing or the
// value does not fit kPathCapacity bytes. Platforms without a registry always fail.
bool readMachineValue(const char* keyPath, const char* valueName, NarrowString& out);

}  // namespace oru::platform
