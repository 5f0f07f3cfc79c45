// Java names turned into archive queries, and the natives' own Java exception.
#include "bridge/java_names.h"

#include "jvm/jni_support.h"

namespace oru {

bool toArchiveQuery(JNIEnv* env, jstring name, char separator, NarrowString& query) {
    if (!name) return false;
    const jchar* chars = env->GetStringChars(name, nullptr);
    if (!chars) {
        clearPendingException(env, false);
        return false;
    }
    query.assignFromWide(reinterpret_cast<const char16_t*>(chars), env->GetStringLength(name));
    env->ReleaseStringChars(name, chars);
    char* bytes = query.data();
    for (int i = 0; i < query.length(); ++i)
        if (bytes[i] == separator) bytes[i] = '\\';
    return true;
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
