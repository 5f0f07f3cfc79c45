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

// The entry `query` as a byte array; null with nothing pending when it cannot be had.
jbyteArray readEntryQuietly(JNIEnv* env, const NarrowString& query) {
    jbyteArray bytes = readEntryAsByteArray(rootArchive(), env, query);
    if (!bytes) clearPendingException(env, true);  // an array too large to make
    return bytes;
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

jbyteArray loadResourceBytes(JNIEnv* env, jstring resource) {
    ensureArchiveOpen();
    NarrowString text;
    if (!toArchiveQuery(env, resource, '/', text)) return nullptr;
    if (text.length() < kPrefixLength || text.left(kPrefixLength).compareNoCase("oru:") != 0)
        return nullptr;
    jbyteArray bytes = readEntryQuietly(env, text.mid(kPrefixLength));
    if (bytes) return bytes;

    NarrowString decoded;
    decoded.resize(text.length());
    decoded.resize(decodeUrlEscapes(text.c_str(), text.length(), decoded.data()));
    if (decoded.length() == text.length() &&
        std::equal(text.c_str(), text.c_str() + text.length(), decoded.c_str()))
        return nullptr;
    return readEntryQuietly(env, decoded.mid(kPrefixLength));
}

}  // namespace oru
