// The jars a jar's manifest "Class-Path" brings along, found as `java -jar` finds them.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace oru::tools {

// The file that one "Class-Path" item names, resolved against `jarFolder` (the folder of
// the jar whose manifest holds it) as a relative URL: "%XX" decoded, "." and ".."
// applied, "/x" and "file:/x" from the root. False for a URL of another scheme
// ("http:..."), which `java` ignores.
bool classPathFile(const std::string& jarFolder, const std::string& item, std::string& file);

// Follows the "Class-Path" of the jar at `jarPath` and of
// every jar it names, depth first in the attribute's order, as `java -jar` opens them.
// Returns the jars to pack beside it, each file once, leaving out those whose canonical
// paths are in `packed` (and adding the returned ones to it). An item that names a file
// that does not exist, a folder or a file that is not a jar is skipped, with one line in
// `warnings`.
std::vector<std::string> followClassPath(const std::string& jarPath, std::set<std::string>& packed,
                                         std::vector<std::string>& warnings);

// The canonical form of `path` for telling files apart ("" when it does not exist).
std::string canonicalPath(const std::string& path);

}  // namespace oru::tools
