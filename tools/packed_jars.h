// The jars a packed archive nests, as the launcher opens them, and their entry lists.
#pragma once

#include <string>
#include <vector>

#include "jar_reader.h"
#include "zip_writer.h"

namespace oru::tools {

struct PackedJar {
    std::string name;               // its entry in the archive: "t.jar", "libs/a.jar"
    const ZipWriter::Entry* entry;  // its bytes, or the file they come from; not owned
};

// The entries of `archive` that the launcher opens as nested archives, in the order it
// searches them (shorter names first). The pointers live as long as `archive`.
std::vector<PackedJar> packedJarsInSearchOrder(const ZipWriter& archive);

// Opens the packed jar where its bytes are: its file, or the stored bytes of an entry
// added from memory; false when they hold no readable archive (deflated bytes included).
bool openPackedJar(const PackedJar& jar, JarReader& reader);

}  // namespace oru::tools
