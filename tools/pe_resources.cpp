// PE resources: the headers that place them, the three-level directory that names them,
// and a new resource section laid out in the old one's place.
#include "pe_resources.h"

#include <algorithm>
#include <utility>

#include "archive/archive_region.h"
#include "archive/pe_layout.h"
#include "support/little_endian.h"

namespace oru::tools {

namespace {

// More than any executable carries; bounds the walk over a damaged directory.
constexpr size_t kMaxResources = 65536;

uint32_t alignUp(uint32_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

struct Section {
    size_t header;  // offset of its header in the image
    std::string name;
    uint32_t virtualSize, virtualAddress, rawSize, rawPointer;
};

struct PeLayout {
    size_t optional = 0;     // the optional header
    size_t directories = 0;  // the first data directory
    uint32_t directoryCount = 0;
    uint32_t sectionAlignment = 0, fileAlignment = 0;
    std::vector<Section> sections;

    uint32_t directoryRva(const std::string& image, int index) const {
        return static_cast<uint32_t>(index) < directoryCount ? get32(image, entryOf(index)) : 0;
    }
    uint32_t directorySize(const std::string& image, int index) const {
        return static_cast<uint32_t>(index) < directoryCount ? get32(image, entryOf(index) + 4) : 0;
    }
    // Where directory `index`'s entry lies in the image.
    size_t entryOf(int index) const { return directories + pe::kDirectoryEntrySize * index; }
    // The section whose file-backed bytes hold `rva`, or -1.
    int sectionOf(uint32_t rva) const {
        for (size_t i = 0; i < sections.size(); ++i) {
            const Section& s = sections[i];
            if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize)
                return static_cast<int>(i);
        }
        return -1;
    }
};

bool powerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

bool readSections(const std::string& image, size_t table, uint32_t count, PeLayout& layout) {
    if (table > image.size() || (image.size() - table) / pe::kSectionHeaderSize < count)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = table + i * pe::kSectionHeaderSize;
        Section s{at,
                  image.substr(at, pe::kSectionNameSize),
                  get32(image, at + pe::kSectionVirtualSizeField),
                  get32(image, at + pe::kSectionAddressField),
                  get32(image, at + pe::kSectionRawSizeField),
                  get32(image, at + pe::kSectionRawPointerField)};
        s.name.resize(std::min<size_t>(s.name.find('\0'), pe::kSectionNameSize));
        if (s.rawPointer > image.size() || image.size() - s.rawPointer < s.rawSize) return false;
        if (!layout.sections.empty() && s.virtualAddress < layout.sections.back().virtualAddress)
            return false;
        layout.sections.push_back(s);
    }
    return true;
}

bool parseLayout(const std::string& image, PeLayout& layout, std::string& error) {
    error = "not a Windows executable";
    PeHeaders headers;
    if (!findPeHeaders(reinterpret_cast<const unsigned char*>(image.data()), image.size(), headers))
        return false;
    const uint32_t sectionCount = get16(image, headers.signature + pe::kSectionCountField);
    const uint32_t optionalSize = headers.optionalSize;
    layout.optional = headers.optional;
    const uint32_t directoriesAt = pe::directoriesOffset(headers.magic);
    if (image.size() - layout.optional < optionalSize || optionalSize < directoriesAt) return false;
    layout.directories = layout.optional + directoriesAt;
    layout.directoryCount =
        std::min<uint32_t>(get32(image, layout.directories - pe::kDirectoryCountSize),
                           (optionalSize - directoriesAt) / pe::kDirectoryEntrySize);
    layout.sectionAlignment = get32(image, layout.optional + pe::kSectionAlignmentField);
    layout.fileAlignment = get32(image, layout.optional + pe::kFileAlignmentField);
    if (!powerOfTwo(layout.sectionAlignment) || !powerOfTwo(layout.fileAlignment)) return false;
    if (!readSections(image, layout.optional + optionalSize, sectionCount, layout)) {
        error = "a Windows executable with damaged section headers";
        return false;
    }
    error.clear();
    return true;
}

// Walks the three levels of the resource directory (type, name, language).
class DirectoryReader {
public:
    DirectoryReader(const std::string& image, const PeLayout& layout, size_t base, size_t limit)
        : image_(image), layout_(layout), base_(base), limit_(limit) {}

    bool read(uint32_t offset, int level, Resource& path, ResourceTable& table) {
        if (offset > limit_ - base_ || limit_ - base_ - offset < 16) return false;
        const size_t at = base_ + offset;
        const uint32_t count = get16(image_, at + 12) + get16(image_, at + 14);
        if ((limit_ - at - 16) / 8 < count) return false;
        for (uint32_t i = 0; i < count; ++i) {
            const size_t entry = at + 16 + 8 * i;
            ResourceId id;
            if (!readId(get32(image_, entry), id)) return false;
            if (level == 0) path.type = id;
            if (level == 1) path.name = id;
            if (level == 2) path.language = id.number;
            const uint32_t child = get32(image_, entry + 4);
            const bool directory = (child & 0x80000000u) != 0;
            if (directory != (level < 2)) return false;
            const bool ok = directory ? read(child & 0x7FFFFFFFu, level + 1, path, table)
                                      : readData(child, path, table);
            if (!ok) return false;
        }
        return true;
    }

private:
    bool readId(uint32_t field, ResourceId& id) {
        if ((field & 0x80000000u) == 0) {
            id.number = static_cast<uint16_t>(field);
            return true;
        }
        const uint32_t offset = field & 0x7FFFFFFFu;
        if (offset > limit_ - base_ || limit_ - base_ - offset < 2) return false;
        const size_t at = base_ + offset;
        const uint32_t length = get16(image_, at);
        if ((limit_ - at - 2) / 2 < length || length == 0) return false;
        for (uint32_t i = 0; i < length; ++i)
            id.name.push_back(static_cast<char16_t>(get16(image_, at + 2 + 2 * i)));
        return true;
    }

    bool readData(uint32_t offset, Resource& path, ResourceTable& table) {
        if (offset > limit_ - base_ || limit_ - base_ - offset < 16) return false;
        if (table.all().size() >= kMaxResources) return false;
        const size_t at = base_ + offset;
        const uint32_t rva = get32(image_, at), size = get32(image_, at + 4);
        const int section = layout_.sectionOf(rva);
        if (section < 0) return false;
        const Section& s = layout_.sections[section];
        if (s.rawSize - (rva - s.virtualAddress) < size) return false;
        path.data = image_.substr(s.rawPointer + (rva - s.virtualAddress), size);
        path.codePage = get32(image_, at + 8);
        table.all().push_back(path);
        return true;
    }

    const std::string& image_;
    const PeLayout& layout_;
    size_t base_, limit_;
};

// Named entries come first, in name order, then numbered ones in number order.
bool idLess(const ResourceId& a, const ResourceId& b) {
    if (a.name.empty() != b.name.empty()) return !a.name.empty();
    return a.name.empty() ? a.number < b.number : a.name < b.name;
}

// The resource directory, its data entries, names and data, for a section at `rva`.
class DirectoryWriter {
public:
    DirectoryWriter(std::vector<Resource> resources, uint32_t rva) : rva_(rva) {
        std::stable_sort(resources.begin(), resources.end(),
                         [](const Resource& a, const Resource& b) {
                             if (!(a.type == b.type)) return idLess(a.type, b.type);
                             if (!(a.name == b.name)) return idLess(a.name, b.name);
                             return a.language < b.language;
                         });
        resources_ = std::move(resources);
    }

    std::string write() {
        // Sizes first: every directory, then the data entries, names and data.
        size_t directories = 0, strings = 0;
        forEachDirectory([&](size_t, size_t, int count, int) { directories += 16 + 8 * count; });
        for (const Resource& r : resources_) {
            strings += nameBytes(r.type) + nameBytes(r.name);
        }
        dataEntries_ = directories;
        stringsAt_ = dataEntries_ + 16 * resources_.size();
        dataAt_ = alignUp(static_cast<uint32_t>(stringsAt_ + strings), 8);
        size_t total = dataAt_;
        for (const Resource& r : resources_)
            total = alignUp(static_cast<uint32_t>(total), 8) + r.data.size();
        out_.assign(total, '\0');
        nextString_ = stringsAt_;
        nextData_ = dataAt_;
        writeDirectories();
        return out_;
    }

private:
    static size_t nameBytes(const ResourceId& id) {
        return id.name.empty() ? 0 : 2 + 2 * id.name.size();
    }

    // Visits the directories in the order they are laid out: the root, every type's
    // name directory, then every name's language directory. The callback gets the
    // first and last resource index covered, the entry count and the level.
    template <typename Visit>
    void forEachDirectory(Visit visit) const {
        visit(0, resources_.size(), countGroups(0, resources_.size(), 0), 0);
        for (size_t t = 0; t < resources_.size(); t = groupEnd(t, resources_.size(), 0))
            visit(t, groupEnd(t, resources_.size(), 0),
                  countGroups(t, groupEnd(t, resources_.size(), 0), 1), 1);
        for (size_t n = 0; n < resources_.size(); n = groupEnd(n, resources_.size(), 1))
            visit(n, groupEnd(n, resources_.size(), 1),
                  countGroups(n, groupEnd(n, resources_.size(), 1), 2), 2);
    }

    // The end of the run of resources from `begin` that share the id of `level`
    // (and of the levels above it).
    size_t groupEnd(size_t begin, size_t end, int level) const {
        size_t i = begin + 1;
        while (i < end && resources_[i].type == resources_[begin].type &&
               (level < 1 || resources_[i].name == resources_[begin].name))
            ++i;
        return i;
    }

    // Where the entry after the one that starts at resource `i` starts, in a directory of
    // `level` that ends before `end`: each language is an entry of its own.
    size_t nextEntry(size_t i, size_t end, int level) const {
        return level == 2 ? i + 1 : groupEnd(i, end, level);
    }

    int countGroups(size_t begin, size_t end, int level) const {
        int count = 0;
        for (size_t i = begin; i < end; i = nextEntry(i, end, level)) ++count;
        return count;
    }

    ResourceId idAt(size_t index, int level) const {
        const Resource& r = resources_[index];
        if (level == 0) return r.type;
        if (level == 1) return r.name;
        ResourceId language;
        language.number = r.language;
        return language;
    }

    uint32_t writeName(const ResourceId& id) {
        const size_t at = nextString_;
        set16(out_, at, static_cast<uint32_t>(id.name.size()));
        for (size_t i = 0; i < id.name.size(); ++i) set16(out_, at + 2 + 2 * i, id.name[i]);
        nextString_ += nameBytes(id);
        return 0x80000000u | static_cast<uint32_t>(at);
    }

    void writeDirectories() {
        // Where each directory goes, in layout order, keyed by its first resource and level.
        std::vector<std::pair<std::pair<size_t, int>, size_t>> placed;
        size_t next = 0;
        forEachDirectory([&](size_t first, size_t, int count, int level) {
            placed.push_back({{first, level}, next});
            next += 16 + 8 * count;
        });
        auto offsetOf = [&](size_t first, int level) {
            for (const auto& p : placed)
                if (p.first == std::make_pair(first, level)) return p.second;
            return size_t{0};
        };
        forEachDirectory([&](size_t first, size_t last, int count, int level) {
            const size_t at = offsetOf(first, level);
            int named = 0;
            for (size_t i = first; i < last; i = nextEntry(i, last, level))
                named += !idAt(i, level).name.empty();
            set16(out_, at + 12, static_cast<uint32_t>(named));
            set16(out_, at + 14, static_cast<uint32_t>(count - named));
            size_t entry = at + 16;
            for (size_t i = first; i < last; i = nextEntry(i, last, level)) {
                const ResourceId id = idAt(i, level);
                set32(out_, entry, id.name.empty() ? id.number : writeName(id));
                set32(out_, entry + 4,
                      level < 2 ? 0x80000000u | static_cast<uint32_t>(offsetOf(i, level + 1))
                                : writeData(i));
                entry += 8;
            }
        });
    }

    uint32_t writeData(size_t index) {
        const Resource& r = resources_[index];
        const size_t entry = dataEntries_ + 16 * index;
        nextData_ = alignUp(static_cast<uint32_t>(nextData_), 8);
        out_.replace(nextData_, r.data.size(), r.data);
        set32(out_, entry, rva_ + static_cast<uint32_t>(nextData_));
        set32(out_, entry + 4, static_cast<uint32_t>(r.data.size()));
        set32(out_, entry + 8, r.codePage);
        nextData_ += r.data.size();
        return static_cast<uint32_t>(entry);
    }

    std::vector<Resource> resources_;
    uint32_t rva_;
    std::string out_;
    size_t dataEntries_ = 0, stringsAt_ = 0, dataAt_ = 0, nextString_ = 0, nextData_ = 0;
};

// Checks that only base relocations follow the resource section, so that it can grow.
bool checkMovable(const std::string& image, const PeLayout& layout, int resources,
                  std::string& error) {
    if (layout.directorySize(image, pe::kSecurityDirectory) != 0) {
        error = "the launcher carries a signature; add resources before signing";
        return false;
    }
    for (size_t i = resources + 1; i < layout.sections.size(); ++i) {
        const Section& s = layout.sections[i];
        for (uint32_t d = 0; d < layout.directoryCount; ++d) {
            const uint32_t rva = layout.directoryRva(image, static_cast<int>(d));
            const bool inside =
                rva >= s.virtualAddress &&
                rva - s.virtualAddress < alignUp(s.virtualSize, layout.sectionAlignment);
            if (inside && d != pe::kRelocationDirectory) {
                error =
                    "the launcher's section " + s.name + " follows its resources and cannot move";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

void ResourceTable::put(Resource resource) {
    for (Resource& r : resources_) {
        if (r.type == resource.type && r.name == resource.name && r.language == resource.language) {
            r = std::move(resource);
            return;
        }
    }
    resources_.push_back(std::move(resource));
}

void ResourceTable::removeType(uint16_t type) {
    resources_.erase(std::remove_if(resources_.begin(), resources_.end(),
                                    [type](const Resource& r) {
                                        return r.type.name.empty() && r.type.number == type;
                                    }),
                     resources_.end());
}

bool readResources(const std::string& image, ResourceTable& table, std::string& error) {
    PeLayout layout;
    if (!parseLayout(image, layout, error)) return false;
    table = ResourceTable();
    const uint32_t rva = layout.directoryRva(image, pe::kResourceDirectory);
    if (rva == 0 || layout.directorySize(image, pe::kResourceDirectory) == 0) return true;
    const int section = layout.sectionOf(rva);
    if (section >= 0) {
        const Section& s = layout.sections[section];
        const size_t base = s.rawPointer + (rva - s.virtualAddress);
        Resource path;
        if (DirectoryReader(image, layout, base, s.rawPointer + s.rawSize).read(0, 0, path, table))
            return true;
    }
    error = "the executable's resource directory is damaged";
    return false;
}

bool writeResources(std::string& image, const ResourceTable& table, std::string& error) {
    PeLayout layout;
    if (!parseLayout(image, layout, error)) return false;
    const uint32_t rva = layout.directoryRva(image, pe::kResourceDirectory);
    const int r = rva ? layout.sectionOf(rva) : -1;
    if (r < 0 || layout.sections[r].virtualAddress != rva) {
        error = "the launcher has no resource section of its own";
        return false;
    }
    if (!checkMovable(image, layout, r, error)) return false;

    const Section& resources = layout.sections[r];
    const std::string section = DirectoryWriter(table.all(), rva).write();
    const uint32_t rawSize = alignUp(static_cast<uint32_t>(section.size()), layout.fileAlignment);
    const Section& last = layout.sections.back();
    const size_t end = last.rawPointer + last.rawSize;
    std::string out = image.substr(0, resources.rawPointer) + section;
    out.resize(resources.rawPointer + rawSize, '\0');

    uint32_t virtualEnd =
        alignUp(rva + static_cast<uint32_t>(section.size()), layout.sectionAlignment);
    const uint32_t oldRelocations = layout.directoryRva(image, pe::kRelocationDirectory);
    for (size_t i = r + 1; i < layout.sections.size(); ++i) {
        const Section& s = layout.sections[i];
        if (oldRelocations >= s.virtualAddress &&
            oldRelocations - s.virtualAddress < alignUp(s.virtualSize, layout.sectionAlignment))
            set32(out, layout.entryOf(pe::kRelocationDirectory),
                  oldRelocations - s.virtualAddress + virtualEnd);
        set32(out, s.header + pe::kSectionAddressField, virtualEnd);
        set32(out, s.header + pe::kSectionRawPointerField, static_cast<uint32_t>(out.size()));
        out += image.substr(s.rawPointer, s.rawSize);
        virtualEnd = alignUp(virtualEnd + s.virtualSize, layout.sectionAlignment);
    }
    out +=
        image.substr(std::max(end, static_cast<size_t>(resources.rawPointer + resources.rawSize)));
    set32(out, resources.header + pe::kSectionVirtualSizeField,
          static_cast<uint32_t>(section.size()));
    set32(out, resources.header + pe::kSectionRawSizeField, rawSize);
    set32(out, layout.entryOf(pe::kResourceDirectory) + 4, static_cast<uint32_t>(section.size()));
    set32(out, layout.optional + pe::kImageSizeField, virtualEnd);
    const size_t initializedData = layout.optional + pe::kInitializedDataSizeField;
    set32(out, initializedData, get32(out, initializedData) + rawSize - resources.rawSize);
    image = std::move(out);
    return true;
}

}  // namespace oru::tools
