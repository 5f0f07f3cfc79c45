// Message string tables on Windows: RT_STRING resources of the executable.
// Only Windows code belongs in this file.
#include "platform/resources.h"

#include "platform/win32/windows_api.h"

namespace oru::platform {

bool findStringBlock(int blockNumber, StringBlock& out, int language) {
    out = StringBlock{};
    HMODULE module = GetModuleHandleA(nullptr);
    LPCSTR name = MAKEINTRESOURCEA(blockNumber);
    // Naming no language lets the resource loader pick the user's.
    HRSRC found = language == 0 ? FindResourceA(module, name, MAKEINTRESOURCEA(6))
                                : FindResourceExA(module, MAKEINTRESOURCEA(6), name,
                                                  static_cast<WORD>(language));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    out.units = static_cast<const char16_t*>(bytes);
    out.count = SizeofResource(module, found) / sizeof(char16_t);
    return true;
}

}  // namespace oru::platform
