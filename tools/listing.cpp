// oru-pack --list: the configuration lines and the entries of a packed executable.
#include "listing.h"

#include <sstream>

#include "jar_reader.h"
#include "root_layout.h"
#include "support/archive_names.h"

namespace oru::tools {

namespace {

// The largest nested jar whose entries are counted; it is read into memory.
constexpr uint32_t kLargestNestedCounted = 256u << 20;

void printConfiguration(const std::string& comment, std::ostream& out) {
    out << "[configuration]\n";
    // The launcher's text ends at the first NUL.
    const std::string text = comment.substr(0, comment.find('\0'));
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) out << line << "\n";
    }
}

}  // namespace

bool listExecutable(const std::string& executablePath, std::ostream& out, std::string& error) {
    JarReader archive;
    if (!archive.openFile(executablePath, error)) {
        if (error.empty()) error = "cannot read an archive in " + executablePath;
        return false;
    }
    const std::vector<JarEntryInfo> entries = archive.entries();
    std::vector<std::string> names;
    for (const JarEntryInfo& entry : entries) names.push_back(entry.name);
    out << "layout " << (isRootLayout(names) ? "root" : "nested") << "\n";
    printConfiguration(archive.comment(), out);
    out << "[entries]\n";
    for (const JarEntryInfo& entry : entries) {
        std::string nested;
        JarReader jar;
        const bool isJar = isNestedArchiveName(entry.name.data(), entry.name.size()) &&
                           archive.read(entry.name, nested, kLargestNestedCounted) &&
                           jar.open(nested);
        out << entry.size << '\t' << (entry.deflated ? "deflated" : "stored") << '\t'
            << (isJar ? std::to_string(jar.entries().size()) : "-") << '\t' << entry.name << '\n';
    }
    return true;
}

}  // namespace oru::tools
