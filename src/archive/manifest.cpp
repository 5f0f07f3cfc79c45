// Reading attributes out of a jar manifest's text: sections, continuation lines.
#include "archive/manifest.h"

#include <cstring>

namespace oru {

namespace {

// The logical line starting at `at` (continuations joined, line ends dropped); `at`
// moves past it. An empty line ends a section.
NarrowString nextLine(const char* text, int length, int& at) {
    NarrowString line;
    for (bool first = true;; first = false) {
        if (!first) ++at;  // a continuation's leading space
        int stop = at;
        while (stop < length && text[stop] != '\r' && text[stop] != '\n') ++stop;
        line.append(text + at, stop - at);
        at = stop;
        if (at < length && text[at] == '\r') ++at;
        if (at < length && text[at] == '\n') ++at;
        if (at >= length || text[at] != ' ' || line.empty()) return line;
    }
}

}  // namespace

bool manifestAttribute(const NarrowString& text, const char* section, const char* name,
                       NarrowString& value) {
    bool inSection = section == nullptr;
    bool sectionStart = false;
    for (int at = 0; at < text.length();) {
        const NarrowString line = nextLine(text.c_str(), text.length(), at);
        if (line.empty()) {
            if (section == nullptr) return false;  // the main section has ended
            sectionStart = true;
            inSection = false;
            continue;
        }
        const char* colon = std::strstr(line.c_str(), ": ");
        if (!colon) continue;
        const NarrowString key = line.left(static_cast<int>(colon - line.c_str()));
        if (sectionStart && section)
            inSection = key.compareNoCase("Name") == 0 && std::strcmp(colon + 2, section) == 0;
        sectionStart = false;
        if (inSection && key.compareNoCase(name) == 0) {
            value = colon + 2;
            return true;
        }
    }
    return false;
}

}  // namespace oru
