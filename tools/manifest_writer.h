// Manifest text as java.util.jar.Manifest writes it: sections of wrapped "Name: value" lines.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace oru::tools {

// Attributes in the order they are written: (name, value).
using ManifestAttributes = std::vector<std::pair<std::string, std::string>>;

struct ManifestSection {
    std::string name;  // the "Name:" value, such as "a/b/" for package a.b
    ManifestAttributes attributes;
};

// The line "name: value" ended by CRLF, wrapped as java writes it: no line passes 72
// bytes before its end, each continuation starts with a space, and a break never falls
// inside a UTF-8 character (which would take more than 71 bytes for one to fit).
std::string manifestLine(const std::string& name, const std::string& value);

// The whole text: the main section's attributes, then each section after an empty line
// (its "Name:" line first), and the empty line that ends the last one.
std::string manifestText(const ManifestAttributes& main,
                         const std::vector<ManifestSection>& sections);

}  // namespace oru::tools
