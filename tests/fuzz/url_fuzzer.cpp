// libFuzzer target: "oru:" URL texts read back into the names the store is asked for. The
// input is decoded as a URL's text and, as a name, made into a URL text that must read back
// as that name.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "bridge/java_names.h"
#include "bridge/resource_urls.h"

namespace {

using oru::NarrowString;
using oru::UrlForm;

constexpr size_t kLargestInput = 1 << 16;

void check(bool condition) {
    if (!condition) std::abort();
}

bool same(const NarrowString& a, const NarrowString& b) {
    return a.length() == b.length() && std::memcmp(a.c_str(), b.c_str(), a.length()) == 0;
}

// `name` with its separators written as URLs write them.
NarrowString withSlashes(NarrowString name) {
    for (int i = 0; i < name.length(); ++i)
        if (name.byteAt(i) == '\\') name.data()[i] = '/';
    return name;
}

// Where the last segment of `name` starts: after its last "!", or past folders as well.
int lastSegment(const NarrowString& name, bool pastFolders) {
    int start = name.length();
    for (char c; start > 0 && (c = name.byteAt(start - 1)) != '!'; --start)
        if (pastFolders && (c == '/' || c == '\\')) break;
    return start;
}

// Whether a "." or ".." segment follows the last "!" of `name`: decoding folds those.
bool hasDotSegment(const NarrowString& name) {
    const int start = lastSegment(name, false);
    for (int i = start, end = start; i <= name.length(); i = ++end) {
        while (end < name.length() && name.byteAt(end) != '/' && name.byteAt(end) != '\\') ++end;
        if (end - i >= 1 && end - i <= 2 && name.byteAt(i) == '.' && name.byteAt(end - 1) == '.')
            return true;
    }
    return false;
}

// The names a lookup tries for the URL text `body`, as the URL handler's natives try them;
// a query made of a name holds no "/" left.
void checkQueries(const NarrowString& body, const NarrowString& decoded, UrlForm form) {
    const NarrowString* names[2] = {&body, &decoded};
    for (int i = 0; i < (form == UrlForm::kMalformed ? 1 : 2); ++i) {
        oru::ArchiveQuery query;
        if (!oru::makeArchiveQuery(*names[i], '/', query)) continue;
        const NarrowString* made[2] = {&query.ansi, query.utf8Form()};
        for (const NarrowString* form : made)
            for (int k = 0; form && k < form->length(); ++k) check(form->byteAt(k) != '/');
    }
}

// Any text decodes to no more bytes than it has, into a name whose own URL reads back as
// that name, its dot segments already folded.
void checkDecoding(const NarrowString& body) {
    NarrowString decoded;
    const UrlForm form = oru::decodeUrlText(body, decoded);
    checkQueries(body, decoded, form);
    if (form == UrlForm::kMalformed) return;
    check(decoded.length() <= body.length());
    const NarrowString url = oru::resourceUrlText(decoded);
    NarrowString again;
    check(oru::decodeUrlText(url.mid(4), again) == UrlForm::kWritten);
    check(same(withSlashes(again), withSlashes(decoded)));
}

// Any name's URL is "oru:" and printable ASCII, of the written form, and reads back as the
// name itself unless decoding folds a dot segment of it. A "." and a segment followed by
// "..", put before the name's last segment, fold away.
void checkName(const NarrowString& name) {
    const NarrowString url = oru::resourceUrlText(name);
    check(url.left(4) == "oru:");
    for (int i = 0; i < url.length(); ++i) check(url.byteAt(i) > 0x20 && url.byteAt(i) < 0x7F);
    NarrowString decoded;
    check(oru::decodeUrlText(url.mid(4), decoded) == UrlForm::kWritten);
    checkDecoding(url.mid(4));
    if (hasDotSegment(name)) return;
    check(same(decoded, withSlashes(name)));
    const int last = lastSegment(name, true);
    const NarrowString detour = name.left(last) + "./" + name.mid(last) + "\\../" + name.mid(last);
    check(oru::decodeUrlText(oru::resourceUrlText(detour).mid(4), decoded) == UrlForm::kWritten);
    check(same(withSlashes(decoded), withSlashes(name)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kLargestInput) return 0;
    const NarrowString input(reinterpret_cast<const char*>(data), static_cast<int>(size));
    checkDecoding(input);
    checkName(input);
    return 0;
}
