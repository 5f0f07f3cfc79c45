// Duplicate classes between packed jars, counted in the order the launcher searches them.
#include "duplicate_classes.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <utility>

#include "archive/embedded_archive.h"
#include "jar_reader.h"

namespace oru::tools {

namespace {

struct PackedJar {
    std::string name;               // its entry in the archive: "t.jar", "libs/a.jar"
    const ZipWriter::Entry* entry;  // its bytes, or the file they come from; not owned
};

// The jars the launcher will open: the stored entries it takes for nested archives.
std::vector<PackedJar> packedJars(const ZipWriter& archive) {
    std::vector<PackedJar> jars;
    for (const ZipWriter::Entry& entry : archive.entries()) {
        if (entry.method == ZipMethod::kStored &&
            EntryLookup::isNestedName(entry.name.data(), static_cast<int>(entry.name.size())))
            jars.push_back({entry.name, &entry});
    }
    return jars;
}

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

bool searchedBefore(const PackedJar& a, const PackedJar& b) {
    return EmbeddedArchive::compareNestedNames(a.name.data(), static_cast<int>(a.name.size()),
                                               b.name.data(), static_cast<int>(b.name.size())) < 0;
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
    std::vector<PackedJar> order = packedJars(archive);
    std::stable_sort(order.begin(), order.end(), searchedBefore);
    // Walking in search order, the first jar to hold a class is the one that serves it;
    // the last jar seen holding it keeps a jar's own repeated records from counting twice.
    struct Holders {
        size_t servedBy;
        size_t lastSeen;
    };
    std::unordered_map<std::string, Holders> holders;
    std::map<std::pair<size_t, size_t>, int> hidden;
    for (size_t rank = 0; rank < order.size(); ++rank) {
        const ZipWriter::Entry& packed = *order[rank].entry;
        std::string error;
        JarReader jar;
        const bool opened =
            packed.path.empty() ? jar.open(packed.stored) : jar.openFile(packed.path, error);
        if (!opened) continue;
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
