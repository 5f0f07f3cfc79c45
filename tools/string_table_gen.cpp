// Turns the STRINGTABLE blocks of a UTF-8 resource script into C++ arrays in the
// Windows block format (16 counted UTF-16 strings per block), for builds without windres.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        uint32_t cp = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += static_cast<size_t>(extra) + 1;
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

using Table = std::map<int, std::u16string>;  // id -> text

// "LANGUAGE primary, sub" with decimal or 0x numbers; false for any other line.
bool parseLanguage(const std::string& line, int& language) {
    std::istringstream in(line);
    std::string keyword, primary, sub;
    if (!(in >> keyword) || keyword != "LANGUAGE") return false;
    std::getline(in, primary, ',');
    in >> sub;
    language = (std::stoi(sub, nullptr, 0) << 10) | std::stoi(primary, nullptr, 0);
    return true;
}

// "id, \"text\"" (the text without escapes); false for any other line.
bool parseEntry(const std::string& line, int& id, std::string& text) {
    size_t comma = line.find(',');
    size_t open = line.find('"');
    size_t close = line.rfind('"');
    if (comma == std::string::npos || open == std::string::npos || close <= open || comma > open)
        return false;
    std::string number = line.substr(0, comma);
    if (number.find_first_not_of(" \t0123456789") != std::string::npos ||
        number.find_first_of("0123456789") == std::string::npos)
        return false;
    id = std::stoi(number);
    text = line.substr(open + 1, close - open - 1);
    return true;
}

bool parse(std::istream& in, std::map<int, Table>& tables) {
    int current = -1;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        int id;
        std::string text;
        if (parseLanguage(line, current)) continue;
        if (parseEntry(line, id, text)) {
            if (current < 0) return false;
            tables[current][id] = utf8ToUtf16(text);
        }
    }
    return !tables.empty();
}

void writeBlock(std::ostream& out, const std::string& name, const Table& table, int block) {
    std::vector<char16_t> units;
    for (int id = (block - 1) * 16; id < block * 16; ++id) {
        auto found = table.find(id);
        std::u16string text = found == table.end() ? std::u16string() : found->second;
        units.push_back(static_cast<char16_t>(text.size()));
        units.insert(units.end(), text.begin(), text.end());
    }
    out << "const char16_t " << name << "[] = {";
    for (size_t i = 0; i < units.size(); ++i)
        out << (i % 12 ? " " : "\n    ") << "0x" << std::hex << units[i] << std::dec << ",";
    out << "\n};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: string_table_gen <messages.rc> <output.cpp>\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::map<int, Table> tables;
    if (!in || !parse(in, tables)) {
        std::cerr << "string_table_gen: no string tables in " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream out;
    out << "// Generated from " << argv[1] << " by string_table_gen. Do not edit.\n"
        << "#include \"platform/posix/string_tables.h\"\n\nnamespace oru::platform {\n\n"
        << "namespace {\n\n";
    std::vector<std::string> rows;
    for (const auto& [language, table] : tables) {
        int lastBlock = table.rbegin()->first / 16 + 1;
        for (int block = 1; block <= lastBlock; ++block) {
            auto first = table.lower_bound((block - 1) * 16);
            if (first == table.end() || first->first >= block * 16) continue;
            std::string name = "kBlock" + std::to_string(language) + "_" + std::to_string(block);
            writeBlock(out, name, table, block);
            rows.push_back("    {" + std::to_string(block) + ", " + std::to_string(language) +
                           ", " + name + ", sizeof " + name + " / sizeof " + name + "[0]},\n");
        }
    }
    out << "}  // namespace\n\nconst EmbeddedStringBlock kEmbeddedStringBlocks[] = {\n";
    for (const std::string& row : rows) out << row;
    out << "};\n\nconst size_t kEmbeddedStringBlockCount = " << rows.size()
        << ";\n\n}  // namespace oru::platform\n";
    std::ofstream file(argv[2], std::ios::binary);
    file << out.str();
    return file ? 0 : 1;
}
