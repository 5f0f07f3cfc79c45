// The root layout: an application's jars merged into the archive's root, one class path element.
#pragma once

#include <string>
#include <vector>

#include "zip_writer.h"

namespace oru::tools {

// Adds the entries of the jars at `jars` (in class path order, the application jar
// first when `withApplication`) to the root of `archive`, which may hold entries
// already (the Java-side classes): one root manifest first (the application jar's main
// attributes, "Multi-Release: true" when any jar is one, a section per package with its
// own jar's package attributes, no "Class-Path"), a folder entry for every folder, then
// the entries. Of a class held by two jars the first wins, with a line in `warnings` per
// pair of jars; service files are merged; of a licence or notice the first is kept;
// signature files, the jar index and module descriptors are left out, as are versioned
// entries of a jar that is not multi-release; identical copies of a resource are kept
// once. False with one line in `error`, and `archive` unchanged, when a jar cannot be
// read, the application jar's manifest is one java refuses, a jar holds a name under
// com/vostrand/oru/, or two jars hold a resource of the same name with different bytes.
bool addRootLayout(const std::vector<std::string>& jars, bool withApplication, ZipWriter& archive,
                   std::vector<std::string>& warnings, std::string& error);

// Whether an archive's entry names say it is laid out at the root: a root manifest, and
// no application jar nested as "t.jar".
bool isRootLayout(const std::vector<std::string>& names);

}  // namespace oru::tools
