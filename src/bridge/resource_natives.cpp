// The URL handler's native: "oru:" URL text to entry bytes, with a decoded second try.
#include "bridge/resource_natives.h"

#include <algorithm>
#include <vector>

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
    std::vector<int> starts;  // where each segment kept in `out` begins
    bool folded = false;
    for (int i = start; i <= name.length();) {
        int end = i;
        while (end < name.length() && name.byteAt(end) != '\\' && name.byteAt(end) != '/') ++end;
        const NarrowString segment = name.mid(i, end - i);
        if (segment == "." || segment == "..") {
            folded = true;
            if (segment == ".." && !starts.empty()) {
                out.resize(starts.back());
                starts.pop_back();
            }
        } else {
            starts.push_back(out.length());
            out += segment;
            if (end < name.length()) out += '\\';
        }
        i = end + 1;
    }
    return folded ? out : name;
}

namespace {

// Looks the entry that the URL text `resource` names up with `lookup` (a query and its
// UTF-8 form): as written, then decoded and folded.
template <typename Lookup>
auto lookUpResource(JNIEnv* env, jstring resource, Lookup lookup) -> decltype(lookup(
    NarrowString(), static_cast<const NarrowString*>(nullptr))) {
    ensureArchiveOpen(env);
    ArchiveQuery text;
    if (!toArchiveQuery(env, resource, '/', text)) return {};
    if (text.ansi.length() < kPrefixLength ||
        text.ansi.left(kPrefixLength).compareNoCase("oru:") != 0)
        return {};
    const NarrowString utf8 = text.hasUtf8 ? text.utf8.mid(kPrefixLength) : NarrowString();
    auto found = lookup(text.ansi.mid(kPrefixLength), text.hasUtf8 ? &utf8 : nullptr);
    if (found) return found;

    // Escapes stand for the bytes of UTF-8 names, so the UTF-8 form is the one decoded.
    const NarrowString& source = text.hasUtf8 ? text.utf8 : text.ansi;
    NarrowString decoded;
    decoded.resize(source.length());
    decoded.resize(decodeUrlEscapes(source.c_str(), source.length(), decoded.data()));
    decoded = foldDotSegments(decoded.mid(kPrefixLength));
    const NarrowString literal = source.mid(kPrefixLength);
    if (decoded.length() == literal.length() &&
        std::equal(literal.c_str(), literal.c_str() + literal.length(), decoded.c_str()))
        return {};
    return lookup(decoded, nullptr);
}

}  // namespace

jbyteArray loadResourceBytes(JNIEnv* env, jstring resource) {
    return lookUpResource(env, resource, [env](const NarrowString& query, const NarrowString* utf8) {
        jbyteArray bytes = readEntryAsByteArray(rootArchive(), env, query, utf8);
        if (!bytes) clearPendingException(env, true);  // an array too large to make
        return bytes;
    });
}

jlongArray loadResourceInfo(JNIEnv* env, jstring resource) {
    uint32_t size = 0;
    uint32_t dosTime = 0;
    const bool found = lookUpResource(env, resource, [&](const NarrowString& query,
                                                         const NarrowString* utf8) {
        return rootArchive().entryInfo(query, utf8, size, dosTime);
    });
    if (!found) return nullptr;
    // In local time as java.util.zip reads it, through the virtual machine's own zone.
    const auto field = [dosTime](int shift, int bits) {
        return static_cast<jint>((dosTime >> shift) & ((1u << bits) - 1));
    };
    LocalRef<jclass> dateClass(env, env->FindClass("java/util/Date"));
    jmethodID constructor =
        dateClass ? env->GetMethodID(dateClass.get(), "<init>", "(IIIIII)V") : nullptr;
    jmethodID getTime = constructor ? env->GetMethodID(dateClass.get(), "getTime", "()J") : nullptr;
    LocalRef<jobject> date(
        env, getTime ? env->NewObject(dateClass.get(), constructor, field(25, 7) + 80,
                                      field(21, 4) - 1, field(16, 5), field(11, 5), field(5, 6),
                                      field(0, 5) * 2)
                     : nullptr);
    const jlong values[2] = {static_cast<jlong>(size),
                             date ? env->CallLongMethod(date.get(), getTime) : 0};
    jlongArray info = env->NewLongArray(2);
    if (info) env->SetLongArrayRegion(info, 0, 2, values);
    clearPendingException(env, true);
    return info;
}

}  // namespace oru
