// Sorting a jar's entry names for the root layout, by java's own rules where it has them.
#include "root_names.h"

#include <cctype>

namespace oru::tools {

namespace {

const char kMetaInf[] = "META-INF/";
const char kVersions[] = "META-INF/versions/";

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// JarFile's signature-related files: directly in META-INF, any case.
bool isSignatureFile(const std::string& upper) {
    if (!startsWith(upper, kMetaInf) || upper.find('/', 9) != std::string::npos) return false;
    const std::string file = upper.substr(9);
    return endsWith(file, ".SF") || endsWith(file, ".RSA") || endsWith(file, ".DSA") ||
           endsWith(file, ".EC") || startsWith(file, "SIG-") || file == "INDEX.LIST";
}

// LICENSE, LICENCE, NOTICE or COPYING in any case, alone or with .txt or .md, anywhere:
// every jar may carry its own, and which one is kept changes no behaviour.
bool isLicence(const std::string& upper) {
    std::string file = upper.substr(upper.rfind('/') + 1);
    for (const char* extension : {".TXT", ".MD"})
        if (endsWith(file, extension)) file.resize(file.size() - std::string(extension).size());
    return file == "LICENSE" || file == "LICENCE" || file == "NOTICE" || file == "COPYING";
}

// The length of a "META-INF/versions/N/" prefix of `name`, 0 when it has none.
size_t versionPrefix(const std::string& name) {
    if (!startsWith(name, kVersions)) return 0;
    size_t end = sizeof kVersions - 1;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end]))) ++end;
    return end > sizeof kVersions - 1 && end < name.size() && name[end] == '/' ? end + 1 : 0;
}

}  // namespace

std::string unversionedName(const std::string& name) { return name.substr(versionPrefix(name)); }

RootEntryKind rootEntryKind(const std::string& name) {
    const std::string upper = upperCase(name);
    if (upper == "META-INF/MANIFEST.MF") return RootEntryKind::kManifest;
    if (isSignatureFile(upper) || unversionedName(name) == "module-info.class")
        return RootEntryKind::kLeftOut;
    if (startsWith(name, "META-INF/services/") && name.find('/', 18) == std::string::npos)
        return RootEntryKind::kService;
    if (isLicence(upper)) return RootEntryKind::kLicence;
    if (versionPrefix(name) > 0) return RootEntryKind::kVersioned;
    if (endsWith(name, ".class") && !startsWith(name, kMetaInf)) return RootEntryKind::kClass;
    return RootEntryKind::kResource;
}

std::string packageFolder(const std::string& name) {
    const std::string plain = unversionedName(name);
    return plain.substr(0, plain.rfind('/') + 1);
}

}  // namespace oru::tools
