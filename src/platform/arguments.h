// Command-line arguments exactly as typed, where the narrow vector lost characters.
#pragma once

#include "support/wide_string.h"

namespace oru::platform {

// The process's argument `index` (0 is the first after the program name) as typed, in
// UTF-16, when the narrow argument `narrow` is that argument with characters lost in
// the conversion to the ANSI code page; false when `narrow` is exact (always on Linux,
// whose arguments are the bytes given).
bool exactArgument(int index, const char* narrow, WideString& out);

}  // namespace oru::platform
