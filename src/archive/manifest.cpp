// Reading attributes out of a jar manifest's text: sections, continuation lines.
#include "archive/manifest.h"

#include <cstring>

namespace oru {

namespace {

bool sameNoCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The logical line starting at `at` (continuations joined, line ends dropped); `at`
// moves past it. An empty line ends a section.
std::string nextLine(const std::string& text, size_t& at) {
    std::string line;
    for (bool first = true;; first = false) {
        if (!first) ++at;  // a continuation's leading space
        const size_t end = text.find_first_of("\r\n", at);
        const size_t stop = end == std::string::npos ? text.size() : end;
        line.append(text, at, stop - at);
        at = stop;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;
        if (at >= text.size() || text[at] != ' ' || line.empty()) return line;
    }
}

}  // namespace

bool manifestAttribute(const std::string& text, const char* section, const char* name,
                       std::string& value) {
    bool inSection = section == nullptr;
    bool sectionStart = false;
    for (size_t at = 0; at < text.size();) {
        const std::string line = nextLine(text, at);
        if (line.empty()) {
            if (section == nullptr) return false;  // the main section has ended
            sectionStart = true;
            inSection = false;
            continue;
        }
        const size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon);
        if (sectionStart && section) inSection = sameNoCase(key, "Name") &&
                                                 line.compare(colon + 2, std::string::npos, section) == 0;
        sectionStart = false;
        if (inSection && sameNoCase(key, name)) {
            value = line.substr(colon + 2);
            return true;
        }
    }
    return false;
}

}  // namespace oru
