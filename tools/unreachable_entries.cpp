// Counting the entries of packed jars whose names the oru: URL separator would split.
#include "unreachable_entries.h"

#include "packed_jars.h"
#include "request_checks.h"

namespace oru::tools {

namespace {

std::string warningLine(const PackedJar& jar, size_t count, const std::string& example) {
    const std::string from = jar.entry->path.empty() ? "" : " (" + jar.entry->path + ")";
    const bool one = count == 1;
    return jar.name + from + " holds " + std::to_string(count) +
           (one ? " entry with a \"!\" in its name (" : " entries with a \"!\" in their names (") +
           (one ? "" : "such as ") + printable(example) +
           "), which the application cannot reach: \"!\" separates a jar from its entries in "
           "oru: URLs";
}

}  // namespace

std::vector<std::string> unreachableEntryWarnings(const ZipWriter& archive) {
    std::vector<std::string> lines;
    for (const PackedJar& packed : packedJarsInSearchOrder(archive)) {
        JarReader jar;
        if (!openPackedJar(packed, jar)) continue;
        size_t count = 0;
        std::string example;
        for (const JarEntryInfo& entry : jar.entries()) {
            if (entry.name.find('!') == std::string::npos) continue;
            if (count++ == 0) example = entry.name;
        }
        if (count > 0) lines.push_back(warningLine(packed, count, example));
    }
    return lines;
}

}  // namespace oru::tools
