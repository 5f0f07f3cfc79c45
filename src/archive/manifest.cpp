// JarManifest: java's manifest rules, read in two passes (count, then keep) and sorted.
#include "archive/manifest.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace oru {

namespace {

using Outcome = JarManifest::Outcome;
using Key = JarManifest::Key;
using Attribute = JarManifest::Attribute;

// java reads through a 512-byte line buffer: a line and its end must fit it.
constexpr size_t kLineBuffer = 512;
constexpr size_t kLongestName = 70;

int upper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

bool sameNoCase(const char* a, const char* b, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (upper(static_cast<unsigned char>(a[i])) != upper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool validName(const char* name, size_t length) {
    if (length == 0 || length > kLongestName) return false;
    for (size_t i = 0; i < length; ++i) {
        const int c = upper(static_cast<unsigned char>(name[i]));
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return false;
    }
    return true;
}

int compareKeys(const Key& a, const Key& b) {
    if (a.named != b.named) return a.named ? 1 : -1;
    const uint32_t common = a.sectionLength < b.sectionLength ? a.sectionLength : b.sectionLength;
    int order = common ? std::memcmp(a.section, b.section, common) : 0;
    if (order) return order;
    if (a.sectionLength != b.sectionLength) return a.sectionLength < b.sectionLength ? -1 : 1;
    for (int i = 0; i < a.nameLength && i < b.nameLength; ++i) {
        order = upper(static_cast<unsigned char>(a.name[i])) -
                upper(static_cast<unsigned char>(b.name[i]));
        if (order) return order;
    }
    return a.nameLength - b.nameLength;
}

int compareAttributes(const void* a, const void* b) {
    const auto& x = *static_cast<const Attribute*>(a);
    const auto& y = *static_cast<const Attribute*>(b);
    const int order = compareKeys(x.key, y.key);
    return order ? order : (x.order < y.order ? -1 : 1);
}

enum class Step { kLine, kEnd, kTooLong };

// The text's lines as java's reader hands them out.
class Lines {
public:
    Lines(const char* text, size_t length) : text_(text), length_(length) {}
    // The next line that has its end: its bytes without the end. kEnd when no such line
    // is left (java drops a last line without an end), kTooLong when 512 bytes hold none.
    Step next(const char*& line, size_t& length) {
        const size_t room = length_ - at_ < kLineBuffer ? length_ - at_ : kLineBuffer;
        const char* start = text_ + at_;
        size_t k = 0;
        while (k < room && start[k] != '\n' && start[k] != '\r') ++k;
        ++number_;
        if (k == room) return room == kLineBuffer ? Step::kTooLong : Step::kEnd;
        line = start;
        length = k;
        // A CR takes the LF after it only when both fit the buffer, as in java's reader.
        size_t end = k + 1;
        if (start[k] == '\r' && end < room && start[end] == '\n') ++end;
        at_ += end;
        return Step::kLine;
    }
    // Whether the next line starts with a space, which makes it a continuation line.
    bool continued() const { return at_ < length_ && text_[at_] == ' '; }
    int number() const { return number_; }

private:
    const char* text_;
    size_t length_;
    size_t at_ = 0;
    int number_ = 0;
};

// One pass over the text. Without storage it only counts what the next pass keeps.
class Pass {
public:
    Pass(const char* text, size_t length, char* bytes, Attribute* attributes)
        : lines_(text, length), bytes_(bytes), attributes_(attributes) {}

    Outcome run(bool& mainValid) {
        const Outcome main = section(false, 0);
        mainValid = main == Outcome::kValid;
        return mainValid ? namedSections() : main;
    }
    int line() const { return lines_.number(); }
    size_t bytes() const { return used_; }
    uint32_t count() const { return count_; }

private:
    Outcome namedSections() {
        const char* line;
        size_t length;
        for (Step step; (step = lines_.next(line, length)) != Step::kEnd;) {
            if (step == Step::kTooLong) return Outcome::kLineTooLong;
            if (length == 0) continue;  // empty lines between sections
            if (length < 6 || !sameNoCase(line, "name: ", 6)) return Outcome::kInvalidSection;
            const size_t name = used_;
            append(line + 6, length - 6);
            while (lines_.continued()) {
                step = lines_.next(line, length);
                if (step != Step::kLine)
                    return step == Step::kEnd ? Outcome::kValid : Outcome::kLineTooLong;
                append(line + 1, length - 1);
            }
            const Outcome outcome = section(true, name);
            if (outcome != Outcome::kValid) return outcome;
        }
        return Outcome::kValid;
    }

    // The attribute lines of one section, up to an empty line or the end; the section's
    // name is what was kept from `name` on.
    Outcome section(bool named, size_t name) {
        const Key key = {at(name), static_cast<uint32_t>(used_ - name), named, 0, nullptr};
        const char* header = nullptr;  // the line, in the text, that names the attribute read
        size_t nameLength = 0;
        size_t nameAt = 0;
        size_t valueAt = 0;
        const char* line;
        size_t length;
        for (Step step; (step = lines_.next(line, length)) != Step::kEnd;) {
            if (step == Step::kTooLong) return Outcome::kLineTooLong;
            if (length == 0) break;
            if (line[0] == ' ') {
                if (!header) return Outcome::kMisplacedContinuation;
                append(line + 1, length - 1);
            } else {
                const auto* colon = static_cast<const char*>(std::memchr(line, ':', length));
                if (!colon || colon + 1 == line + length || colon[1] != ' ')
                    return Outcome::kInvalidHeader;
                header = line;
                nameLength = static_cast<size_t>(colon - line);
                nameAt = used_;
                append(line, nameLength);
                valueAt = used_;
                append(colon + 2, length - nameLength - 2);
            }
            if (lines_.continued()) continue;
            // java checks the name when it stores the value, after its last line.
            if (!validName(header, nameLength)) return Outcome::kInvalidName;
            if (attributes_) {
                Attribute& attribute = attributes_[count_];
                attribute.key = key;
                attribute.key.name = at(nameAt);
                attribute.key.nameLength = static_cast<uint8_t>(nameLength);
                attribute.value = at(valueAt);
                attribute.valueLength = static_cast<uint32_t>(used_ - valueAt);
                attribute.order = count_;
            }
            ++count_;
        }
        return Outcome::kValid;
    }

    void append(const char* from, size_t length) {
        if (bytes_ && length) std::memcpy(bytes_ + used_, from, length);
        used_ += length;
    }
    const char* at(size_t offset) const { return bytes_ ? bytes_ + offset : nullptr; }

    Lines lines_;
    char* bytes_;
    Attribute* attributes_;
    size_t used_ = 0;
    uint32_t count_ = 0;
};

}  // namespace

bool ManifestValue::isTrue() const { return length == 4 && sameNoCase(bytes, "true", 4); }

JarManifest::~JarManifest() = default;

const char* JarManifest::describe(Outcome outcome) {
    switch (outcome) {
        case Outcome::kValid:
            return "";
        case Outcome::kTooLarge:
            return "more than 16,000,000 bytes";
        case Outcome::kLineTooLong:
            return "line too long";
        case Outcome::kInvalidHeader:
            return "invalid header field";
        case Outcome::kInvalidName:
            return "invalid header field name";
        case Outcome::kMisplacedContinuation:
            return "misplaced continuation line";
        case Outcome::kInvalidSection:
            return "invalid manifest format";
        case Outcome::kOverAllowance:
            return "too large for the memory left";
    }
    return "";
}

bool JarManifest::read(const char* text, size_t length, uint64_t* allowance) {
    if (length > kLargestText) {
        outcome_ = Outcome::kTooLarge;
        return false;
    }
    Pass count(text, length, nullptr, nullptr);
    outcome_ = count.run(mainValid_);
    errorLine_ = valid() ? 0 : count.line();
    const uint32_t size =
        count.count() + static_cast<uint32_t>(count.bytes() / sizeof(Attribute)) + 1;
    const uint64_t need = uint64_t{size} * sizeof(Attribute);
    if (!allowance || need <= *allowance) attributes_.reset(new (std::nothrow) Attribute[size]);
    if (!attributes_) {
        outcome_ = Outcome::kOverAllowance;
        mainValid_ = false;
        return false;
    }
    if (allowance) *allowance -= need;
    blockSize_ = size;
    count_ = count.count();
    Pass keep(text, length, reinterpret_cast<char*>(attributes_.get() + count_), attributes_.get());
    keep.run(mainValid_);
    std::qsort(attributes_.get(), count_, sizeof(Attribute), compareAttributes);
    return valid();
}

bool JarManifest::find(const NarrowString* section, const char* name, ManifestValue& value) const {
    // Keys keep a name's length in a byte; no attribute has a longer name than java's 70.
    const size_t nameLength = std::strlen(name);
    if (nameLength > 255) return false;
    const Key key = {section ? section->c_str() : nullptr,
                     section ? static_cast<uint32_t>(section->length()) : 0u, section != nullptr,
                     static_cast<uint8_t>(nameLength), name};
    // The first attribute above the key; the one before it is the key's last, if any.
    uint32_t low = 0;
    for (uint32_t high = count_; low < high;) {
        const uint32_t middle = low + (high - low) / 2;
        if (compareKeys(key, attributes_[middle].key) >= 0)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == 0 || compareKeys(key, attributes_[low - 1].key) != 0) return false;
    value.bytes = attributes_[low - 1].value;
    value.length = attributes_[low - 1].valueLength;
    return true;
}

uint64_t JarManifest::memoryUse() const {
    return sizeof(*this) + uint64_t{blockSize_} * sizeof(Attribute);
}

}  // namespace oru
