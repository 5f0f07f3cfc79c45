// libFuzzer target: the configuration text scanner and the archive-comment reader. The
// input is searched for its archive comment, which must come from the end record the ZIP
// reader takes, and split into a file part and a comment that every key is looked up in.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/archive_region.h"
#include "archive/zip_reader.h"
#include "launcher/config_comment.h"
#include "launcher/config_load.h"

namespace {

using oru::NarrowString;

constexpr size_t kLargestInput = 1 << 20;
constexpr uint64_t kRecordSize = oru::kEndRecordSize;
constexpr uint64_t kSearchSpan = oru::kConfigurationSearchSpan;
constexpr int kLargestExpansion = 1 << 20;
constexpr int kExpandedValues = 8;

const char* const kKeys[] = {"option",    "property", "minjre",    "mainclass", "forcecwd",
                             "jre_order", "jvmdll",   "classpath", "libs"};

void check(bool condition) {
    if (!condition) std::abort();
}

// Where the ZIP reader finds the end record of `bytes`: true with its position when the
// archive opens, false with `found` telling whether any record was found when it does not.
bool readerEndRecord(const uint8_t* bytes, size_t size, uint64_t& position, bool& found) {
    oru::CZipMemorySource source;
    source.attach(bytes, static_cast<uint32_t>(size));
    oru::CZipReader reader;
    try {
        reader.open(source, oru::CZipReader::Mode::kReadOnly);
    } catch (const oru::CZipException& e) {
        found = e.code() != oru::CZipException::endRecordNotFound;
        return false;
    }
    found = true;
    position = reader.endRecordPosition();
    return true;
}

// The comment search and the ZIP reader must agree on the record: the comment is what
// follows the record the reader takes, when that record lies within the searched span.
void checkComment(const uint8_t* data, size_t size) {
    const NarrowString comment = oru::findArchiveComment(data, size);
    const bool hasSignatureAt22 =
        size >= kRecordSize && std::memcmp(data + size - kRecordSize, "PK\x05\x06", 4) == 0;
    const bool configFound = comment.length() > 0 || hasSignatureAt22;
    if (configFound) {
        const uint64_t at = size - kRecordSize - static_cast<uint64_t>(comment.length());
        check(std::memcmp(comment.c_str(), data + at + kRecordSize, comment.length()) == 0);
    }
    uint64_t position = 0;
    bool readerFound = false;
    const uint64_t lowest = size > kSearchSpan ? size - kSearchSpan : 0;
    if (readerEndRecord(data, size, position, readerFound)) {
        check(configFound == (position >= lowest));
        if (configFound) check(position + kRecordSize + comment.length() == size);
    } else if (!readerFound) {
        check(!configFound);
    }
}

void checkLookups(const oru::LauncherConfig& config) {
    // A few values of each input are expanded: one may copy the long variable many times.
    int expansionsLeft = kExpandedValues;
    for (const char* key : kKeys) {
        for (bool commentOnly : {false, true}) {
            oru::StringList values;
            auto add = [](void* list, const char* value) {
                static_cast<oru::StringList*>(list)->add(value);
            };
            config.forEachValue(key, add, &values, commentOnly);
            const NarrowString first = config.lookupValue(key, commentOnly);
            check(values.count() == 0 ? first.empty() : first == values.at(0));
            for (int i = 0; i < values.count() && expansionsLeft > 0; ++i, --expansionsLeft) {
                const NarrowString expanded = oru::expandEnvironment(values.at(i));
                check(expanded.length() <= kLargestExpansion || expanded == values.at(i));
            }
            if (!commentOnly && values.count() > 0 && values.count() <= expansionsLeft) {
                expansionsLeft -= values.count();
                check(config.expandedValues(key).count() == values.count());
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Values that the inputs can name: a short one, one past half the expansion cap.
    setenv("ORU_FUZZ_A", "alpha", 1);
    setenv("ORU_FUZZ_LONG", std::string(600000, 'l').c_str(), 1);
    return 0;
}

// A signed executable's region ends at an aligned table within the file, past the MZ
// header, and the comment found in it lies within it.
void checkRegion(const uint8_t* data, size_t size) {
    const oru::ArchiveRegion region = oru::findArchiveRegion(data, size);
    check(region.length <= size && region.padding <= 7 && region.padding <= region.length);
    if (region.length != size) check(region.length % 8 == 0 && size >= 2 && data[0] == 'M');
    const NarrowString comment = oru::findArchiveComment(data, region.length, region.padding);
    check(static_cast<uint64_t>(comment.length()) <= region.length);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kLargestInput) return 0;
    checkComment(data, size);
    checkRegion(data, size);
    // The first byte chooses where the file part ends and the comment begins.
    const size_t start = size ? 1 : 0;
    const size_t split = size ? 1 + (size - 1) * data[0] / 255 : 0;
    const auto* text = reinterpret_cast<const char*>(data);
    const oru::LauncherConfig config(NarrowString("tool"),
                                     NarrowString(text + start, static_cast<int>(split - start)),
                                     NarrowString(text + split, static_cast<int>(size - split)));
    checkLookups(config);
    return 0;
}
