// Arguments on Linux: the bytes given are the arguments.
// Only Linux code belongs in this file.
#include "platform/arguments.h"

namespace oru::platform {

bool exactArgument(int, const char*, WideString&) { return false; }

}  // namespace oru::platform
