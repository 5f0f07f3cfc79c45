// libFuzzer target: oru-pack's readers of user pictures, icons and version strings. The
// first byte picks the reader (a BMP splash picture, an ICO icon, version KEY=VALUE
// lines); what it makes must stay within what the input holds and what it declares.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "launcher_resources.h"
#include "support/little_endian.h"

namespace {

using namespace oru::tools;
using oru::get16;
using oru::get32;

void check(bool condition) {
    if (!condition) std::abort();
}

void fuzzBitmap(const std::string& file) {
    std::string resource, error;
    if (!bitmapResource(file, resource, error)) {
        check(!error.empty());
        return;
    }
    // The resource is the info header, palette and pixels: never more than the file.
    check(resource.size() <= file.size() - 14);
    check(resource.compare(0, 4, file, 14, 4) == 0);
}

void fuzzIcon(const std::string& file) {
    ResourceTable table;
    std::string error;
    if (!putIcon(file, table, error)) {
        check(!error.empty() && table.all().empty());
        return;
    }
    const uint32_t count = get16(file, 4);
    check(count >= 1 && count <= kLargestIconCount);
    check(table.all().size() == count + 1);
    const std::string& group = table.all().back().data;
    check(group.size() == 6 + 14 * count);
    for (uint32_t i = 0; i < count; ++i)
        check(get32(group, 6 + 14 * i + 8) == table.all()[i].data.size());
}

void fuzzVersion(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::string resource, error;
    if (!versionResource(lines, resource, error)) {
        check(!error.empty());
        return;
    }
    check(resource.size() <= 0xFFFF && get16(resource, 0) == resource.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20)) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            fuzzBitmap(rest);
            break;
        case 1:
            fuzzIcon(rest);
            break;
        default:
            fuzzVersion(rest);
            break;
    }
    return 0;
}
