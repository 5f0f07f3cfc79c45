// Registry values under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, in the launcher's view.
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
    // Opens `keyPath` in the view of the launcher's own machine type: a 32-bit launcher
    // can load only 32-bit runtimes, whose keys 64-bit Windows keeps below WOW6432Node.
    bool open(RegistryRoot root, const char* keyPath) {
        const REGSAM view = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
        HKEY base = root == RegistryRoot::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        return RegOpenKeyExA(base, keyPath, 0, KEY_READ | view, &key_) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class WindowsRegistry : public Registry {
public:
    bool readValue(RegistryRoot root, const char* keyPath, const char* valueName,
                   NarrowString& out) const override {
        out = "";
        ScopedKey key;
        if (!key.open(root, keyPath)) return false;
        char buffer[kPathCapacity];
        DWORD size = sizeof buffer;
        DWORD type = REG_NONE;
        // A number or binary data is no text, whatever its bytes happen to spell.
        if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                             &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        // Stored strings need not end with a NUL; the text ends at the first one or at
        // the data's end.
        int length = 0;
        while (length < static_cast<int>(size) && buffer[length]) ++length;
        if (length == kPathCapacity) return false;
        out = NarrowString(buffer, length);
        return true;
    }

    bool subkeyName(RegistryRoot root, const char* keyPath, int index,
                    NarrowString& out) const override {
        out = "";
        ScopedKey key;
        if (!key.open(root, keyPath)) return false;
        char name[256];  // the longest key name the registry allows, and its NUL
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.get(), static_cast<DWORD>(index), name, &size, nullptr, nullptr,
                          nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        out = NarrowString(name, static_cast<int>(size));
        return true;
    }
};

const WindowsRegistry theRegistry{};

}  // namespace

const Registry& systemRegistry() { return theRegistry; }

}  // namespace oru::platform
