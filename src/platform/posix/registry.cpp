// Linux has no registry: every lookup fails (the system runtime is found on PATH).
// Only Linux code belongs in this file.
#include "platform/registry.h"

namespace oru::platform {

namespace {

class NoRegistry : public Registry {
public:
    bool readValue(RegistryRoot, const char*, const char*, NarrowString& out) const override {
        out = "";
        return false;
    }
    bool subkeyName(RegistryRoot, const char*, int, NarrowString& out) const override {
        out = "";
        return false;
    }
};

const NoRegistry theRegistry{};

}  // namespace

const Registry& systemRegistry() { return theRegistry; }

}  // namespace oru::platform
