// Multi-release jars: which versioned folders a jar serves to a running Java release.
#pragma once

#include <cstdint>

#include "archive/manifest.h"
#include "archive/zip_reader.h"
#include "support/narrow_string.h"

namespace oru {

// The releases, up to `release`, that have a folder META-INF/versions/N/ in `reader`'s
// archive, as bit N - 9 (releases 9 to 71).
uint64_t versionFolders(const CZipReader& reader, int release);

// Whether `manifest` (null for none) says "Multi-Release: true" in a main section that
// java reads whole, as JarFile decides it.
bool isMultiRelease(const JarManifest* manifest);

// "META-INF\versions\N\", the folder of release `release`.
NarrowString versionFolder(int release);

}  // namespace oru
