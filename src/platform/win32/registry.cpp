// Registry values under HKEY_LOCAL_MACHINE.
// Only Windows code belongs in this file.
#include "platform/registry.h"

#include "platform/paths.h"
#include "platform/win32/windows_api.h"

namespace oru::platform {

namespace {

// Closes a registry key when it goes out of scope.
class ScopedKey {
public:
    ScopedKey() = default;
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    ~ScopedKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* receive() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

bool readMachineValue(const char* keyPath, const char* valueName, NarrowString& out) {
    out = "";
    ScopedKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return false;
    char buffer[kPathCapacity];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS)
        return false;
    // Stored strings need not end with a NUL; the text ends at the first one or at
    // the data's end.
    int length = 0;
    while (length < static_cast<int>(size) && buffer[length]) ++length;
    if (length == kPathCapacity) return false;
    out = NarrowString(buffer, length);
    return true;
}

}  // namespace oru::platform
