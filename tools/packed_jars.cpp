// Packed jars in the launcher's search order, opened from memory or from their files.
#include "packed_jars.h"

#include <algorithm>

#include "archive/embedded_archive.h"

namespace oru::tools {

namespace {

bool searchedBefore(const PackedJar& a, const PackedJar& b) {
    return EmbeddedArchive::compareNestedNames(a.name.data(), static_cast<int>(a.name.size()),
                                               b.name.data(), static_cast<int>(b.name.size())) < 0;
}

}  // namespace

std::vector<PackedJar> packedJarsInSearchOrder(const ZipWriter& archive) {
    std::vector<PackedJar> jars;
    for (const ZipWriter::Entry& entry : archive.entries()) {
        // Deflated ones too: the launcher inflates those into memory and searches them alike.
        if (EntryLookup::isNestedName(entry.name.data(), static_cast<int>(entry.name.size())))
            jars.push_back({entry.name, &entry});
    }
    std::stable_sort(jars.begin(), jars.end(), searchedBefore);
    return jars;
}

bool openPackedJar(const PackedJar& jar, JarReader& reader) {
    std::string error;
    return jar.entry->path.empty() ? reader.open(jar.entry->stored)
                                   : reader.openFile(jar.entry->path, error);
}

}  // namespace oru::tools
