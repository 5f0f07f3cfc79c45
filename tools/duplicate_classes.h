// Which copy an application gets of a class that more than one packed jar holds.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "jar_reader.h"
#include "zip_writer.h"

namespace oru::tools {

// Counts the classes that jars given in search order share, jar by jar.
class DuplicateClasses {
public:
    // The next jar searched, named `label` in the warnings, with its entries.
    void addJar(const std::string& label, const std::vector<JarEntryInfo>& entries);
    // One line per pair of jars that hold classes of the same name: how many, and the jar
    // whose copies the application gets (the one searched first). A class held by three
    // jars counts once against each jar it is hidden in. Lines come in search order.
    std::vector<std::string> warnings() const;

private:
    // Walking in search order, the first jar to hold a class is the one that serves it;
    // the last jar seen holding it keeps a jar's own repeated records from counting twice.
    struct Holders {
        size_t servedBy;
        size_t lastSeen;
    };
    std::vector<std::string> labels_;
    std::unordered_map<std::string, Holders> holders_;
    std::map<std::pair<size_t, size_t>, int> hidden_;
};

// The warnings of DuplicateClasses for the jars stored in `archive`, in the order the
// launcher searches them (which is not the order the jars were given in); none when no
// class is held twice.
std::vector<std::string> duplicateClassWarnings(const ZipWriter& archive);

}  // namespace oru::tools
