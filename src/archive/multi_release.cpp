// Multi-release jars: the manifest's word and the versioned folders present.
#include "archive/multi_release.h"

#include "archive/entry_lookup.h"

namespace oru {

namespace {

constexpr char kVersionsFolder[] = "META-INF\\versions\\";
constexpr int kVersionsFolderLength = sizeof kVersionsFolder - 1;

}  // namespace

uint64_t versionFolders(const CZipReader& reader, int release) {
    uint64_t versions = 0;
    for (int i = 0; i < reader.entryCount(); ++i) {
        const std::string& name = reader.entry(static_cast<uint32_t>(i)).name;
        if (name.size() <= kVersionsFolderLength ||
            !EntryLookup::sameChars(name.data(), kVersionsFolder, kVersionsFolderLength))
            continue;
        int number = 0;
        size_t at = kVersionsFolderLength;
        while (at < name.size() && name[at] >= '0' && name[at] <= '9' && number < 100)
            number = number * 10 + (name[at++] - '0');
        if (at < name.size() && name[at] == '\\' && number >= 9 && number <= release &&
            number <= 71)
            versions |= 1ull << (number - 9);
    }
    return versions;
}

bool isMultiRelease(const JarManifest* manifest) {
    ManifestValue value;
    return manifest && manifest->mainSectionValid() &&
           manifest->find(nullptr, "Multi-Release", value) && value.isTrue();
}

NarrowString versionFolder(int release) {
    NarrowString folder(kVersionsFolder);
    if (release >= 10) folder += static_cast<char>('0' + release / 10);
    folder += static_cast<char>('0' + release % 10);
    folder += '\\';
    return folder;
}

}  // namespace oru
