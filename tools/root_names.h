// What becomes of a jar's entry when the jars are laid out together at the archive's root.
#pragma once

#include <string>

namespace oru::tools {

enum class RootEntryKind {
    kManifest,   // META-INF/MANIFEST.MF: one manifest is written for all the jars
    kLeftOut,    // signature files, the jar index, module descriptors: the class path
                 // ignores them, or they would speak for one jar in the name of all
    kService,    // META-INF/services/NAME: every jar's lines, in class path order
    kLicence,    // a licence or notice: the first copy is kept
    kVersioned,  // META-INF/versions/N/...: served only from a multi-release jar
    kClass,      // a class outside META-INF: the first copy on the class path wins
    kResource,   // anything else: one copy, or a conflict when the bytes differ
};

// The kind of the entry `name` ("/" separators, not a folder).
RootEntryKind rootEntryKind(const std::string& name);

// The name without its "META-INF/versions/N/" prefix; `name` itself when it has none.
std::string unversionedName(const std::string& name);

// The folder ("a/b/") of the package of the class `name` (versioned or not); "" for a
// class of the unnamed package.
std::string packageFolder(const std::string& name);

}  // namespace oru::tools
