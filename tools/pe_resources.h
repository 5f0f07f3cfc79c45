// PE resources: reads a Windows executable's resource tree and writes it back changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oru::tools {

// Resource types used by oru-pack.
constexpr uint16_t kResourceIcon = 3;
constexpr uint16_t kResourceBitmap = 2;
constexpr uint16_t kResourceGroupIcon = 14;
constexpr uint16_t kResourceVersion = 16;
constexpr uint16_t kResourceManifest = 24;

// A resource type or name: a number, or a name in UTF-16.
struct ResourceId {
    uint16_t number = 0;
    std::u16string name;  // used when not empty
    bool operator==(const ResourceId& other) const {
        return number == other.number && name == other.name;
    }
};

struct Resource {
    ResourceId type;
    ResourceId name;
    uint16_t language = 0;
    uint32_t codePage = 0;
    std::string data;
};

// Every resource of an executable, one per type, name and language.
class ResourceTable {
public:
    // Adds `resource`, replacing one of the same type, name and language.
    void put(Resource resource);
    // Removes every resource of `type`.
    void removeType(uint16_t type);
    const std::vector<Resource>& all() const { return resources_; }
    std::vector<Resource>& all() { return resources_; }

private:
    std::vector<Resource> resources_;
};

// Reads the resources of the PE executable `image`. False with a one-line message in
// `error` when `image` is not a PE executable or its resource tree is damaged.
bool readResources(const std::string& image, ResourceTable& table, std::string& error);

// Replaces the resource section of `image` with `table`: the section keeps its place,
// and the base relocations behind it (the only section that may follow it) move up.
// Header sizes and the resource directory entry are updated (the checksum is written
// last, over the whole packed file: PeChecksum). False with
// a one-line message in `error` when the executable's layout does not allow it.
bool writeResources(std::string& image, const ResourceTable& table, std::string& error);

}  // namespace oru::tools
