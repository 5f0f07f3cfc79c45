// Duplicate classes between packed jars, counted in the order the launcher searches them.
#include "duplicate_classes.h"

#include <map>
#include <unordered_map>
#include <utility>

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

std::vector<std::string> duplicateClassWarnings(const ZipWriter& archive) {
    const std::vector<PackedJar> order = packedJarsInSearchOrder(archive);
    // Walking in search order, the first jar to hold a class is the one that serves it;
    // the last jar seen holding it keeps a jar's own repeated records from counting twice.
    struct Holders {
        size_t servedBy;
        size_t lastSeen;
    };
    std::unordered_map<std::string, Holders> holders;
    std::map<std::pair<size_t, size_t>, int> hidden;
    for (size_t rank = 0; rank < order.size(); ++rank) {
        JarReader jar;
        if (!openPackedJar(order[rank], jar)) continue;
        for (const JarEntryInfo& entry : jar.entries()) {
            if (!isSharedClassName(entry.name)) continue;
            const auto [place, first] = holders.emplace(entry.name, Holders{rank, rank});
            if (first || place->second.lastSeen == rank) continue;
            place->second.lastSeen = rank;
            ++hidden[{place->second.servedBy, rank}];
        }
    }
    std::vector<std::string> lines;
    for (const auto& [pair, count] : hidden)
        lines.push_back(warningLine(order[pair.first].name, order[pair.second].name, count));
    return lines;
}

}  // namespace oru::tools
