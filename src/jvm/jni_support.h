// Small helpers that keep JNI call sequences straight: exception clearing and local
// references that delete themselves.
#pragma once

#include <jni.h>

#include <cstdint>

#include "support/narrow_string.h"

namespace oru {

// If an exception is pending, prints it (when `describe` is set) and clears it; returns
// whether one was pending.
bool clearPendingException(JNIEnv* env, bool describe);

// Clears the pending exception and returns it as text for the trace: its toString(),
// then " caused by " and each cause's; "" when none was pending.
NarrowString takePendingException(JNIEnv* env);

// `result`, the local reference a call has just returned; null, the reference deleted and
// the exception cleared, when that call threw. Checking at once after each call that may
// throw keeps -Xcheck:jni quiet.
template <typename T>
T unlessThrown(JNIEnv* env, T result) {
    if (!env->ExceptionCheck()) return result;
    env->ExceptionClear();
    if (result) env->DeleteLocalRef(result);
    return nullptr;
}

// Owns one JNI local reference and deletes it when it goes out of scope.
template <typename T>
class LocalRef {
public:
    LocalRef(JNIEnv* env, T ref) : env_(env), ref_(ref) {}
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    ~LocalRef() {
        if (ref_) env_->DeleteLocalRef(ref_);
    }
    T get() const { return ref_; }
    explicit operator bool() const { return ref_ != nullptr; }
    // Deletes the reference held, then holds `ref`.
    void reset(T ref) {
        if (ref_) env_->DeleteLocalRef(ref_);
        ref_ = ref;
    }
    // Hands the reference to the caller, who then deletes it.
    T release() {
        T ref = ref_;
        ref_ = nullptr;
        return ref;
    }

private:
    JNIEnv* env_;
    T ref_;
};

// A new Java string from ANSI code page text (converted to UTF-16); a local reference
// owned by the caller, or null when the virtual machine cannot make it.
jstring newJavaString(JNIEnv* env, const char* text);

// A new Java string of the `length` UTF-8 bytes at `bytes`, as new String(bytes, UTF_8)
// makes it (a character beyond the BMP as its surrogate pair, a NUL kept, malformed
// bytes replaced as java replaces them); a local reference owned by the caller, or null
// with an exception pending when it cannot be made.
jstring newJavaStringFromUtf8(JNIEnv* env, const char* bytes, uint32_t length);

// The name in the modified UTF-8 that FindClass takes, made from ANSI code page text.
NarrowString toModifiedUtf8(const char* text);

// Replaces `value` with the system property `name` in the ANSI code page, when it is set;
// false (no exception left pending) when System.getProperty cannot be called.
bool readSystemProperty(JNIEnv* env, const char* name, NarrowString& value);

// The feature release of the running Java, from "java.specification.version" (8 for
// "1.8", 25 for "25"); 0 when it cannot be asked.
int runningFeatureVersion(JNIEnv* env);

}  // namespace oru
