// Java names turned into archive queries, and the Java exceptions the natives raise.
#include "bridge/java_names.h"

#include <cstdint>

#include "jvm/jni_support.h"
#include "platform/text_codec.h"

namespace oru {

namespace {

void replaceSeparator(NarrowString& text, char separator) {
    char* bytes = text.data();
    for (int i = 0; i < text.length(); ++i)
        if (bytes[i] == separator) bytes[i] = '\\';
}

}  // namespace

void appendUtf8(NarrowString& out, const char16_t* units, int count) {
    for (int i = 0; i < count; ++i) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool paired =
                c < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
            c = paired ? 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00) : '?';
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(((0xF0u << (3 - tail)) & 0xFF) | (c >> (6 * tail)));
        for (int k = tail - 1; k >= 0; --k)
            out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
}

bool toArchiveQuery(JNIEnv* env, jstring name, char separator, ArchiveQuery& query) {
    if (!name) return false;
    const jchar* chars = env->GetStringChars(name, nullptr);
    if (!chars) {
        clearPendingException(env, false);
        return false;
    }
    const auto* units = reinterpret_cast<const char16_t*>(chars);
    const int count = env->GetStringLength(name);
    platform::wideToNarrow(units, count, query.ansi);
    query.utf8.clear();
    query.hasUtf8 = false;
    for (int i = 0; i < count && !query.hasUtf8; ++i) query.hasUtf8 = units[i] >= 0x80;
    if (query.hasUtf8) {
        appendUtf8(query.utf8, units, count);
        // Cut at a NUL as the ANSI form is; equal forms need no second lookup.
        query.utf8 = NarrowString(query.utf8.c_str());
        query.hasUtf8 = query.utf8.compare(query.ansi.c_str()) != 0 ||
                        query.utf8.length() != query.ansi.length();
    }
    env->ReleaseStringChars(name, chars);
    replaceSeparator(query.ansi, separator);
    if (query.hasUtf8) replaceSeparator(query.utf8, separator);
    return true;
}

void throwJavaException(JNIEnv* env, const char* className, jstring message) {
    LocalRef<jclass> type(env, env->FindClass(className));
    jmethodID constructor =
        type ? env->GetMethodID(type.get(), "<init>", "(Ljava/lang/String;)V") : nullptr;
    LocalRef<jthrowable> error(
        env, constructor ? static_cast<jthrowable>(env->NewObject(type.get(), constructor, message))
                         : nullptr);
    if (error) env->Throw(error.get());
}

}  // namespace oru
