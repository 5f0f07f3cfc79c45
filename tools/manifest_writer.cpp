// Writing manifest text: 72-byte lines, continuation lines, sections.
#include "manifest_writer.h"

namespace oru::tools {

namespace {

constexpr size_t kLineBytes = 72;

bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string manifestLine(const std::string& name, const std::string& value) {
    const std::string line = name + ": " + value;
    std::string text;
    size_t start = 0;
    size_t room = kLineBytes;
    while (line.size() - start > room) {
        size_t end = start + room;
        // Back off to the start of a character, unless the character fills the whole room.
        while (end > start + 1 && continuesCharacter(line[end])) --end;
        text.append(line, start, end - start).append("\r\n ");
        start = end;
        room = kLineBytes - 1;
    }
    return text.append(line, start, std::string::npos).append("\r\n");
}

std::string manifestText(const ManifestAttributes& main,
                         const std::vector<ManifestSection>& sections) {
    std::string text;
    for (const auto& [name, value] : main) text += manifestLine(name, value);
    for (const ManifestSection& section : sections) {
        text += "\r\n" + manifestLine("Name", section.name);
        for (const auto& [name, value] : section.attributes) text += manifestLine(name, value);
    }
    return text + "\r\n";
}

}  // namespace oru::tools
