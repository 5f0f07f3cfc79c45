// Multi-release jars: which versioned folders a jar serves to a running Java release.
#pragma once

#include <cstdint>

#include "archive/zip_reader.h"
#include "support/narrow_string.h"

namespace oru {

// The releases, up to `release`, that have a folder META-INF/versions/N/ in `reader`'s
// archive, as bit N - 9 (releases 9 to 71); 0 unless `manifest`, the archive's manifest
// text, says "Multi-Release: true".
uint64_t multiReleaseVersions(const CZipReader& reader, const NarrowString& manifest, int release);

// "META-INF\versions\N\", the folder of release `release`.
NarrowString versionFolder(int release);

}  // namespace oru
