// Java names turned into archive queries, and the natives' own Java exception.
#include "bridge/java_names.h"

#include "jvm/jni_support.h"
#include "platform/text_codec.h"
#include "support/utf8.h"
#include "support/wide_string.h"

namespace oru {

namespace {

void replaceSeparator(NarrowString& text, char separator) {
    char* bytes = text.data();
    for (int i = 0; i < text.length(); ++i)
        if (bytes[i] == separator) bytes[i] = '\\';
}

bool sameUnits(const WideString& text, const char16_t* units, int count) {
    if (text.length() != count) return false;
    for (int i = 0; i < count; ++i)
        if (text.c_str()[i] != units[i]) return false;
    return true;
}

// The ANSI form of a name outside ASCII, when the code page holds it exactly: a
// replacement or best-fit character would name another entry.
bool exactAnsiForm(const char16_t* units, int count, NarrowString& ansi) {
    for (int i = 0; i < count; ++i)
        if (units[i] == 0) return false;
    platform::wideToNarrow(units, count, ansi);
    WideString back;
    platform::narrowToWide(ansi.c_str(), ansi.length(), back);
    return sameUnits(back, units, count);
}

}  // namespace

bool makeArchiveQuery(const char16_t* units, int count, char separator, ArchiveQuery& query) {
    query.utf8.clear();
    query.hasUtf8 = false;
    if (!appendUtf8(query.utf8, units, count)) return false;
    bool ascii = true;
    for (int i = 0; i < count && ascii; ++i) ascii = units[i] < 0x80;
    if (ascii || !exactAnsiForm(units, count, query.ansi)) {
        query.ansi = query.utf8;
    } else {
        query.hasUtf8 = query.ansi.length() != query.utf8.length() ||
                        query.ansi.compare(query.utf8.c_str()) != 0;
    }
    replaceSeparator(query.ansi, separator);
    if (query.hasUtf8) replaceSeparator(query.utf8, separator);
    return true;
}

bool toArchiveQuery(JNIEnv* env, jstring name, char separator, ArchiveQuery& query) {
    if (!name) return false;
    const jchar* chars = env->GetStringChars(name, nullptr);
    if (!chars) {
        clearPendingException(env, false);
        return false;
    }
    const bool made = makeArchiveQuery(reinterpret_cast<const char16_t*>(chars),
                                       env->GetStringLength(name), separator, query);
    env->ReleaseStringChars(name, chars);
    return made;
}

void throwClassNotFound(JNIEnv* env, jstring name) {
    LocalRef<jclass> type(env, env->FindClass("java/lang/ClassNotFoundException"));
    jmethodID constructor =
        type ? env->GetMethodID(type.get(), "<init>", "(Ljava/lang/String;)V") : nullptr;
    LocalRef<jthrowable> error(
        env, constructor ? static_cast<jthrowable>(env->NewObject(type.get(), constructor, name))
                         : nullptr);
    if (error) env->Throw(error.get());
}

}  // namespace oru
