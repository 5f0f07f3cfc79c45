// The one manifest of a root layout, gathered from the manifests of the jars merged into it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "archive/manifest.h"
#include "manifest_writer.h"

namespace oru::tools {

class RootManifest {
public:
    // The application jar's main attributes become the main section's, less those that
    // would speak for every jar at once: Class-Path (the built-in loader would follow it
    // on disk), Multi-Release (set for all jars by addJar) and Sealed (kept per package).
    void setApplication(const JarManifest& manifest);
    // A jar on the class path: a multi-release one makes the whole root one.
    void addJar(const JarManifest& manifest);
    // The package of folder `folder` ("a/b/"), whose classes come first from the jar of
    // `manifest` (null: a jar without one): a section with that jar's package attributes,
    // its section for the package first, then its main section, where they differ from
    // what the root's main section would answer. Only a package's first jar counts.
    void addPackage(const std::string& folder, const JarManifest* manifest);
    // The manifest text, lines wrapped at 72 bytes.
    std::string text() const;

private:
    const std::string* mainValue(const std::string& name) const;

    ManifestAttributes main_;
    bool multiRelease_ = false;
    std::set<std::string> packages_;
    std::vector<ManifestSection> sections_;
};

}  // namespace oru::tools
