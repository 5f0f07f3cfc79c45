// The names library jars are packed under: "libs/<file name>", numbered where taken.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace oru::tools {

// The entry a library jar is packed as: "libs/" and its file name.
std::string libraryEntryName(const std::string& path);

// The entry names of the library jars at `paths`, in their order. The first `given`
// (named by the user) are packed as libraryEntryName says; so is each later one (brought
// by a Class-Path) whose name neither those, an earlier one nor `taken` holds. Each
// other later jar gets "libs/<stem>-N<extension>" with the lowest N from 2 that is free,
// in the order of `paths`: the launcher, searching shorter names first, then meets the
// jars of one file name in that order.
std::vector<std::string> libraryEntryNames(const std::vector<std::string>& paths, size_t given,
                                           const std::set<std::string>& taken);

}  // namespace oru::tools
