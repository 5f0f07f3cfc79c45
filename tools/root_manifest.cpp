// Gathering a root layout's manifest: the application's main attributes, package sections.
#include "root_manifest.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace oru::tools {

namespace {

// The attributes from which class loaders define a package.
const char* const kPackageAttributes[] = {"Specification-Title",
                                          "Specification-Version",
                                          "Specification-Vendor",
                                          "Implementation-Title",
                                          "Implementation-Version",
                                          "Implementation-Vendor",
                                          "Sealed"};

bool sameName(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string valueText(const ManifestValue& value) { return std::string(value.bytes, value.length); }

}  // namespace

void RootManifest::setApplication(const JarManifest& manifest) {
    // Sorted by name, equal names in text order: the last of a run is the value java
    // keeps, in the place of the first.
    struct Kept {
        uint32_t order;
        std::string name, value;
    };
    std::vector<Kept> kept;
    std::string last;
    manifest.forEach([&](const JarManifest::Attribute& attribute) {
        if (attribute.key.named) return;
        const std::string name(attribute.key.name, attribute.key.nameLength);
        const std::string value(attribute.value, attribute.valueLength);
        if (!kept.empty() && sameName(last, name.c_str()))
            kept.back().value = value;
        else
            kept.push_back({attribute.order, name, value});
        last = name;
    });
    std::sort(kept.begin(), kept.end(),
              [](const Kept& a, const Kept& b) { return a.order < b.order; });
    main_.clear();
    for (const Kept& attribute : kept) {
        if (sameName(attribute.name, "Manifest-Version"))
            main_.insert(main_.begin(), {attribute.name, attribute.value});
        else if (!sameName(attribute.name, "Class-Path") &&
                 !sameName(attribute.name, "Multi-Release") && !sameName(attribute.name, "Sealed"))
            main_.emplace_back(attribute.name, attribute.value);
    }
}

void RootManifest::addJar(const JarManifest& manifest) {
    ManifestValue value;
    if (manifest.mainSectionValid() && manifest.find(nullptr, "Multi-Release", value) &&
        value.isTrue())
        multiRelease_ = true;
}

const std::string* RootManifest::mainValue(const std::string& name) const {
    for (const auto& attribute : main_)
        if (sameName(attribute.first, name.c_str())) return &attribute.second;
    return nullptr;
}

void RootManifest::addPackage(const std::string& folder, const JarManifest* manifest) {
    if (!packages_.insert(folder).second || !manifest || !manifest->valid()) return;
    ManifestSection section{folder, {}};
    const NarrowString name(folder.data(), static_cast<int>(folder.size()));
    for (const char* attribute : kPackageAttributes) {
        ManifestValue value;
        if (!manifest->findForPackage(name, attribute, value)) continue;
        const std::string* root = mainValue(attribute);
        if (!root || *root != valueText(value))
            section.attributes.emplace_back(attribute, valueText(value));
    }
    if (!section.attributes.empty()) sections_.push_back(std::move(section));
}

std::string RootManifest::text() const {
    ManifestAttributes main = main_;
    if (main.empty() || !sameName(main.front().first, "Manifest-Version"))
        main.insert(main.begin(), {"Manifest-Version", "1.0"});
    if (multiRelease_) main.emplace_back("Multi-Release", "true");
    return manifestText(main, sections_);
}

}  // namespace oru::tools
