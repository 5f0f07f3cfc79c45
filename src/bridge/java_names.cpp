// Java names turned into archive queries, and the Java exceptions the natives raise.
#include "bridge/java_names.h"

#include "jvm/jni_support.h"
#include "platform/text_codec.h"
#include "support/wide_string.h"

namespace oru {

namespace {

void replaceSeparator(NarrowString& text, char separator) {
    char* bytes = text.data();
    for (int i = 0; i < text.length(); ++i)
        if (bytes[i] == separator) bytes[i] = '\\';
}

}  // namespace

bool appendJavaUtf8(JNIEnv* env, jstring text, NarrowString& out) {
    const jchar* chars = text ? env->GetStringChars(text, nullptr) : nullptr;
    if (!chars) {
        clearPendingException(env, false);
        return false;
    }
    const bool whole = platform::appendUtf8(out, reinterpret_cast<const char16_t*>(chars),
                                            env->GetStringLength(text));
    env->ReleaseStringChars(text, chars);
    return whole;
}

bool makeArchiveQuery(const NarrowString& utf8, char separator, ArchiveQuery& query) {
    query.ansi = utf8;
    query.hasUtf8 = false;
    bool ascii = true;
    for (int i = 0; i < utf8.length() && ascii; ++i) ascii = (utf8.byteAt(i) & 0x80) == 0;
    if (!ascii) {
        WideString units;
        if (!platform::utf8ToUtf16(utf8.c_str(), utf8.length(), units)) return false;
        // A replacement or look-alike character would name another entry: such a name
        // is looked up in UTF-8 alone.
        query.hasUtf8 = platform::wideToNarrowExactly(units.c_str(), units.length(), query.ansi) &&
                        query.ansi != utf8.c_str();
        if (!query.hasUtf8) query.ansi = utf8;
        query.utf8 = utf8;
        replaceSeparator(query.utf8, separator);
    }
    replaceSeparator(query.ansi, separator);
    return true;
}

bool toArchiveQuery(JNIEnv* env, jstring name, char separator, ArchiveQuery& query) {
    NarrowString utf8;
    return appendJavaUtf8(env, name, utf8) && makeArchiveQuery(utf8, separator, query);
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
