// Exception clearing and text conversion for the launcher's JNI call sequences.
#include "jvm/jni_support.h"

#include <cstdlib>
#include <cstring>

#include "platform/text_codec.h"
#include "support/wide_string.h"

namespace oru {

bool clearPendingException(JNIEnv* env, bool describe) {
    jthrowable pending = env->ExceptionOccurred();
    if (!pending) return false;
    if (describe) env->ExceptionDescribe();
    env->ExceptionClear();
    env->DeleteLocalRef(pending);
    return true;
}

namespace {

// `object`.toString() in modified UTF-8, which the trace shows as it is; "?" when it
// cannot be had.
NarrowString textOf(JNIEnv* env, jobject object, jmethodID toString) {
    LocalRef<jstring> text(
        env, unlessThrown(env, static_cast<jstring>(env->CallObjectMethod(object, toString))));
    NarrowString out("?");
    const char* chars = text ? env->GetStringUTFChars(text.get(), nullptr) : nullptr;
    if (chars) {
        out = chars;
        env->ReleaseStringUTFChars(text.get(), chars);
    }
    env->ExceptionClear();
    return out;
}

}  // namespace

NarrowString takePendingException(JNIEnv* env) {
    LocalRef<jthrowable> pending(env, env->ExceptionOccurred());
    if (!pending) return NarrowString();
    env->ExceptionClear();
    LocalRef<jclass> throwable(env, env->FindClass("java/lang/Throwable"));
    jmethodID toString =
        throwable ? env->GetMethodID(throwable.get(), "toString", "()Ljava/lang/String;") : nullptr;
    jmethodID getCause =
        throwable ? env->GetMethodID(throwable.get(), "getCause", "()Ljava/lang/Throwable;")
                  : nullptr;
    env->ExceptionClear();
    if (!toString || !getCause) return NarrowString("an exception");
    NarrowString text = textOf(env, pending.get(), toString);
    // A few causes tell the story; a cycle of causes must not keep the trace going.
    LocalRef<jthrowable> held(env, nullptr);
    jthrowable current = pending.get();
    for (int depth = 0; depth < 4; ++depth) {
        auto next =
            unlessThrown(env, static_cast<jthrowable>(env->CallObjectMethod(current, getCause)));
        if (!next) break;
        if (env->IsSameObject(next, current)) {
            env->DeleteLocalRef(next);
            break;
        }
        text += " caused by ";
        text += textOf(env, next, toString);
        held.reset(next);
        current = next;
    }
    return text;
}

jstring newJavaString(JNIEnv* env, const char* text) {
    WideString wide;
    platform::narrowToWide(text ? text : "", -1, wide);
    return env->NewString(reinterpret_cast<const jchar*>(wide.c_str()), wide.length());
}

jstring newJavaStringFromUtf8(JNIEnv* env, const char* bytes, uint32_t length) {
    // Java's own decoder, so that malformed bytes become what they become under java.
    LocalRef<jclass> type(env, env->FindClass("java/lang/String"));
    jmethodID constructor =
        type ? env->GetMethodID(type.get(), "<init>", "([BLjava/lang/String;)V") : nullptr;
    LocalRef<jbyteArray> array(
        env, constructor ? env->NewByteArray(static_cast<jsize>(length)) : nullptr);
    LocalRef<jstring> charset(env, array ? env->NewStringUTF("UTF-8") : nullptr);
    if (!charset) return nullptr;
    env->SetByteArrayRegion(array.get(), 0, static_cast<jsize>(length),
                            reinterpret_cast<const jbyte*>(bytes));
    return static_cast<jstring>(
        env->NewObject(type.get(), constructor, array.get(), charset.get()));
}

bool readSystemProperty(JNIEnv* env, const char* name, NarrowString& value) {
    LocalRef<jclass> system(env, env->FindClass("java/lang/System"));
    jmethodID getProperty = system
                                ? env->GetStaticMethodID(system.get(), "getProperty",
                                                         "(Ljava/lang/String;)Ljava/lang/String;")
                                : nullptr;
    if (!getProperty) {
        clearPendingException(env, false);
        return false;
    }
    LocalRef<jstring> key(env, newJavaString(env, name));
    LocalRef<jstring> text(env,
                           key ? unlessThrown(env, static_cast<jstring>(env->CallStaticObjectMethod(
                                                       system.get(), getProperty, key.get())))
                               : nullptr);
    if (text) {
        const jchar* chars = env->GetStringChars(text.get(), nullptr);
        if (chars) {
            platform::wideToNarrow(reinterpret_cast<const char16_t*>(chars),
                                   env->GetStringLength(text.get()), value);
            env->ReleaseStringChars(text.get(), chars);
        }
    }
    clearPendingException(env, false);
    return true;
}

NarrowString toModifiedUtf8(const char* text) {
    WideString wide;
    platform::narrowToWide(text ? text : "", -1, wide);
    NarrowString out;
    const char16_t* units = wide.c_str();
    for (int i = 0; i < wide.length(); ++i) {
        unsigned unit = units[i];
        // Java's own form: U+0000 takes two bytes and each surrogate is encoded alone.
        if (unit >= 0x01 && unit <= 0x7F) {
            out += static_cast<char>(unit);
        } else if (unit <= 0x7FF) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

int runningFeatureVersion(JNIEnv* env) {
    NarrowString version;
    if (!readSystemProperty(env, "java.specification.version", version)) return 0;
    const char* text = version.c_str();
    if (std::strncmp(text, "1.", 2) == 0) text += 2;
    return std::atoi(text);
}

}  // namespace oru
