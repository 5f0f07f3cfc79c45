// Duplicate classes between packed jars, counted in the order the launcher searches them.
#include "duplicate_classes.h"

#include "packed_jars.h"

namespace oru::tools {

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Classes the class path serves: every jar may carry its own module descriptor, and what
// lies under META-INF (versioned copies of a multi-release jar) belongs to its own jar.
bool isSharedClassName(const std::string& name) {
    return endsWith(name, ".class") && !endsWith(name, "module-info.class") &&
           name.rfind("META-INF/", 0) != 0;
}

std::string warningLine(const std::string& winner, const std::string& hidden, int count) {
    const bool one = count == 1;
    return winner + " and " + hidden + " both hold " + std::to_string(count) +
           (one ? " class; the application gets the copy in "
                : " classes; the application gets the copies in ") +
           winner;
}

}  // namespace

void DuplicateClasses::addJar(const std::string& label, const std::vector<JarEntryInfo>& entries) {
    const size_t rank = labels_.size();
    labels_.push_back(label);
    for (const JarEntryInfo& entry : entries) {
        if (!isSharedClassName(entry.name)) continue;
        const auto [place, first] = holders_.emplace(entry.name, Holders{rank, rank});
        if (first || place->second.lastSeen == rank) continue;
        place->second.lastSeen = rank;
        ++hidden_[{place->second.servedBy, rank}];
    }
}

std::vector<std::string> DuplicateClasses::warnings() const {
    std::vector<std::string> lines;
    for (const auto& [pair, count] : hidden_)
        lines.push_back(warningLine(labels_[pair.first], labels_[pair.second], count));
    return lines;
}

std::vector<std::string> duplicateClassWarnings(const ZipWriter& archive) {
    DuplicateClasses classes;
    for (const PackedJar& packed : packedJarsInSearchOrder(archive)) {
        JarReader jar;
        classes.addJar(packed.name,
                       openPackedJar(packed, jar) ? jar.entries() : std::vector<JarEntryInfo>());
    }
    return classes.warnings();
}

}  // namespace oru::tools
