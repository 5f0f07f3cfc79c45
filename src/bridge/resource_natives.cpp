// The URL handler's native: "oru:" URL text to entry bytes, with a decoded second try.
#include "bridge/resource_natives.h"

#include <algorithm>

#include "bridge/bridge_state.h"
#include "bridge/java_names.h"
#include "bridge/jni_array_sink.h"
#include "jvm/jni_support.h"

namespace oru {

namespace {

constexpr int kPrefixLength = 4;  // "oru:"

bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The number after a "%" at `source[at]`, read as "%2x" reads it: white space skipped,
// then one or two hexadecimal digits; -1 when there is none.
int escapedNumber(const char* source, int length, int at) {
    int i = at;
    while (i < length && isScanSpace(source[i])) ++i;
    int value = -1;
    for (int digits = 0; digits < 2 && i < length && hexValue(source[i]) >= 0; ++digits, ++i)
        value = (value < 0 ? 0 : value * 16) + hexValue(source[i]);
    return value;
}

}  // namespace

int decodeUrlEscapes(const char* source, int length, char* output) {
    int written = 0;
    int i = 0;
    while (i < length) {
        const char c = source[i];
        const int number = c == '%' ? escapedNumber(source, length, i + 1) : -1;
        if (c == '+') {
            output[written++] = ' ';
            ++i;
        } else if (c == '%' && i + 1 < length && source[i + 1] == '%') {
            output[written++] = '%';
            i += 2;
        } else if (number >= 0) {
            output[written++] = static_cast<char>(number);
            i = length - i > 3 ? i + 3 : length;
        } else {
            output[written++] = c;
            ++i;
        }
    }
    return written;
}

NarrowString foldDotSegments(const NarrowString& name) {
    int start = name.length();
    while (start > 0 && name.byteAt(start - 1) != '!') --start;
    NarrowString out = name.left(start);
    bool folded = false;
    for (int i = start; i <= name.length();) {
        int end = i;
        while (end < name.length() && name.byteAt(end) != '\\' && name.byteAt(end) != '/') ++end;
        const NarrowString segment = name.mid(i, end - i);
        if (segment == "." || segment == "..") {
            folded = true;
            // Every folder kept so far ends in "\": ".." drops the last one.
            int cut = out.length() - 1;
            while (cut > start && out.byteAt(cut - 1) != '\\') --cut;
            if (segment == ".." && out.length() > start) out.resize(cut);
        } else {
            out += segment;
            if (end < name.length()) out += '\\';
        }
        i = end + 1;
    }
    return folded ? out : name;
}

namespace {

// Looks the entry that the URL text `resource` names up with `lookup` (a query and its
// UTF-8 form, `context` passed on): as written, then decoded and folded. Whether the
// lookup found it.
using Lookup = bool (*)(void* context, const NarrowString& query, const NarrowString* utf8);

bool lookUpResource(JNIEnv* env, jstring resource, Lookup lookup, void* context) {
    ensureArchiveOpen(env);
    ArchiveQuery text;
    if (!toArchiveQuery(env, resource, '/', text)) return false;
    if (text.ansi.length() < kPrefixLength ||
        text.ansi.left(kPrefixLength).compareNoCase("oru:") != 0)
        return false;
    const NarrowString utf8 = text.hasUtf8 ? text.utf8.mid(kPrefixLength) : NarrowString();
    if (lookup(context, text.ansi.mid(kPrefixLength), text.hasUtf8 ? &utf8 : nullptr)) return true;

    // Escapes stand for the bytes of UTF-8 names, so the UTF-8 form is the one decoded.
    const NarrowString& source = text.hasUtf8 ? text.utf8 : text.ansi;
    NarrowString decoded;
    decoded.resize(source.length());
    decoded.resize(decodeUrlEscapes(source.c_str(), source.length(), decoded.data()));
    decoded = foldDotSegments(decoded.mid(kPrefixLength));
    const NarrowString literal = source.mid(kPrefixLength);
    if (decoded.length() == literal.length() &&
        std::equal(literal.c_str(), literal.c_str() + literal.length(), decoded.c_str()))
        return false;
    return lookup(context, decoded, nullptr);
}

struct ReadLookup {
    JNIEnv* env;
    jbyteArray bytes;
};

struct InfoLookup {
    uint32_t size;
    uint32_t dosTime;
};

}  // namespace

jbyteArray loadResourceBytes(JNIEnv* env, jstring resource) {
    ReadLookup read{env, nullptr};
    lookUpResource(
        env, resource,
        [](void* context, const NarrowString& query, const NarrowString* utf8) {
            ReadLookup& read = *static_cast<ReadLookup*>(context);
            read.bytes = readEntryAsByteArray(rootArchive(), read.env, query, utf8);
            if (!read.bytes) clearPendingException(read.env, true);  // an array too large to make
            return read.bytes != nullptr;
        },
        &read);
    return read.bytes;
}

jlongArray loadResourceInfo(JNIEnv* env, jstring resource) {
    InfoLookup entry{0, 0};
    const bool found = lookUpResource(
        env, resource,
        [](void* context, const NarrowString& query, const NarrowString* utf8) {
            InfoLookup& entry = *static_cast<InfoLookup*>(context);
            return rootArchive().entryInfo(query, utf8, entry.size, entry.dosTime);
        },
        &entry);
    if (!found) return nullptr;
    const jlong values[2] = {static_cast<jlong>(entry.size), static_cast<jlong>(entry.dosTime)};
    jlongArray info = env->NewLongArray(2);
    if (info) env->SetLongArrayRegion(info, 0, 2, values);
    clearPendingException(env, true);  // out of memory
    return info;
}

}  // namespace oru
