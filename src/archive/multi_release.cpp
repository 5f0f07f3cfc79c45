// Multi-release jars: the manifest's word and the versioned folders present.
#include "archive/multi_release.h"

#include "archive/entry_lookup.h"
#include "archive/manifest.h"

namespace oru {

namespace {

constexpr char kVersionsFolder[] = "META-INF\\versions\\";
constexpr int kVersionsFolderLength = sizeof kVersionsFolder - 1;

}  // namespace

uint64_t multiReleaseVersions(const CZipReader& reader, const NarrowString& manifest, int release) {
    NarrowString value;
    if (!manifestAttribute(manifest, nullptr, "Multi-Release", value) ||
        value.compareNoCase("true") != 0)
        return 0;
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

NarrowString versionFolder(int release) {
    NarrowString folder(kVersionsFolder);
    if (release >= 10) folder += static_cast<char>('0' + release / 10);
    folder += static_cast<char>('0' + release % 10);
    folder += '\\';
    return folder;
}

}  // namespace oru
