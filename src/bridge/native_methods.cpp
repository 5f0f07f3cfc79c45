// The exported natives under their JNI names, and the same functions as registration
// tables for platforms that bind them with RegisterNatives.
#include "bridge/native_methods.h"

#include <iterator>

#include "bridge/class_loader_natives.h"
#include "bridge/resource_natives.h"
#include "bridge/splash_natives.h"
#include "jvm/jni_support.h"
#include "platform/trace.h"

namespace {

// No C++ exception may reach the virtual machine: a native whose work throws (memory
// ran out) answers as for a missing entry, with null or nothing.
template <typename Work>
auto answerSafely(Work work) noexcept -> decltype(work()) {
    try {
        return work();
    } catch (...) {
        return decltype(work())();
    }
}

}  // namespace

extern "C" {

JNIEXPORT jclass JNICALL Java_com_vostrand_oru_KestrunClassLoader_findClass(JNIEnv* env,
                                                                            jobject self,
                                                                            jstring name) {
    return answerSafely([&] { return oru::findArchivedClass(env, self, name); });
}

JNIEXPORT jobject JNICALL Java_com_vostrand_oru_KestrunClassLoader_findResource(JNIEnv* env,
                                                                                jobject self,
                                                                                jstring name) {
    return answerSafely([&] { return oru::findArchivedResource(env, self, name); });
}

JNIEXPORT jobject JNICALL Java_com_vostrand_oru_KestrunClassLoader_findResources(JNIEnv* env,
                                                                                 jobject self,
                                                                                 jstring name) {
    return answerSafely([&] { return oru::findArchivedResources(env, self, name); });
}

JNIEXPORT jbyteArray JNICALL Java_com_vostrand_oru_Handler_loadResourceData(JNIEnv* env, jobject,
                                                                            jstring resource) {
    return answerSafely([&] { return oru::loadResourceBytes(env, resource); });
}

JNIEXPORT jlongArray JNICALL Java_com_vostrand_oru_Handler_loadResourceInfo(JNIEnv* env, jobject,
                                                                            jstring resource) {
    return answerSafely([&] { return oru::loadResourceInfo(env, resource); });
}

JNIEXPORT jlong JNICALL Java_com_vostrand_oru_Handler_openResourceStream(JNIEnv* env, jobject,
                                                                         jstring resource) {
    return answerSafely([&] { return oru::openResourceStream(env, resource); });
}

JNIEXPORT jint JNICALL Java_com_vostrand_oru_Handler_readResourceStream(JNIEnv* env, jobject,
                                                                        jlong stream,
                                                                        jbyteArray buffer,
                                                                        jint offset, jint length) {
    return answerSafely(
        [&] { return oru::readResourceStream(env, stream, buffer, offset, length); });
}

JNIEXPORT void JNICALL Java_com_vostrand_oru_Handler_closeResourceStream(JNIEnv*, jobject,
                                                                         jlong stream) {
    oru::closeResourceStream(stream);
}

JNIEXPORT jobject JNICALL Java_com_vostrand_oru_SplashScreen_nativeGetSplashScreen(JNIEnv* env,
                                                                                   jclass type) {
    return answerSafely([&] { return oru::currentSplashScreen(env, type); });
}

JNIEXPORT void JNICALL Java_com_vostrand_oru_SplashScreen_nativeAutoClose(JNIEnv*, jobject,
                                                                          jint milliseconds) {
    answerSafely([&] { oru::autoCloseSplash(milliseconds); });
}

JNIEXPORT void JNICALL Java_com_vostrand_oru_SplashScreen_nativeClose(JNIEnv*, jobject) {
    answerSafely([&] { oru::closeSplash(); });
}

}  // extern "C"

namespace oru {

namespace {

template <typename Function>
JNINativeMethod method(const char* name, const char* signature, Function function) {
    return {const_cast<char*>(name), const_cast<char*>(signature),
            reinterpret_cast<void*>(function)};
}

// Binds `count` natives of `className`, or as many as it declares; false, with nothing
// pending, when the class is not there or refuses them all. What fails is traced with
// the class and the exception: finding the class runs its static initialiser.
bool bindClass(JNIEnv* env, const char* className, const JNINativeMethod* methods, int count) {
    LocalRef<jclass> type(env, env->FindClass(className));
    if (!type) {
        const NarrowString why = takePendingException(env);
        trace::event("bridge", "%s: %s", className, why.empty() ? "not found" : why.c_str());
        return false;
    }
    if (env->RegisterNatives(type.get(), methods, count) == JNI_OK) return true;
    // A class from an archive made before some of these natives existed lacks them:
    // it gets those it declares.
    clearPendingException(env, false);
    int bound = 0;
    for (int i = 0; i < count; ++i) {
        if (env->RegisterNatives(type.get(), methods + i, 1) == JNI_OK) {
            ++bound;
            continue;
        }
        trace::event("bridge", "%s.%s not bound: %s", className, methods[i].name,
                     takePendingException(env).c_str());
    }
    return bound > 0;
}

}  // namespace

int registerBridgeNatives(JNIEnv* env) {
    const JNINativeMethod loader[] = {
        method("findClass", "(Ljava/lang/String;)Ljava/lang/Class;",
               Java_com_vostrand_oru_KestrunClassLoader_findClass),
        method("findResource", "(Ljava/lang/String;)Ljava/net/URL;",
               Java_com_vostrand_oru_KestrunClassLoader_findResource),
        method("findResources", "(Ljava/lang/String;)Ljava/util/Enumeration;",
               Java_com_vostrand_oru_KestrunClassLoader_findResources),
    };
    const JNINativeMethod handler[] = {
        method("loadResourceData", "(Ljava/lang/String;)[B",
               Java_com_vostrand_oru_Handler_loadResourceData),
        method("loadResourceInfo", "(Ljava/lang/String;)[J",
               Java_com_vostrand_oru_Handler_loadResourceInfo),
        method("openResourceStream", "(Ljava/lang/String;)J",
               Java_com_vostrand_oru_Handler_openResourceStream),
        method("readResourceStream", "(J[BII)I", Java_com_vostrand_oru_Handler_readResourceStream),
        method("closeResourceStream", "(J)V", Java_com_vostrand_oru_Handler_closeResourceStream),
    };
    const JNINativeMethod splash[] = {
        method("nativeGetSplashScreen", "()Lcom/vostrand/oru/SplashScreen;",
               Java_com_vostrand_oru_SplashScreen_nativeGetSplashScreen),
        method("nativeAutoClose", "(I)V", Java_com_vostrand_oru_SplashScreen_nativeAutoClose),
        method("nativeClose", "()V", Java_com_vostrand_oru_SplashScreen_nativeClose),
    };
    int bound = 0;
    bound += bindClass(env, "com/vostrand/oru/KestrunClassLoader", loader,
                       static_cast<int>(std::size(loader)));
    bound +=
        bindClass(env, "com/vostrand/oru/Handler", handler, static_cast<int>(std::size(handler)));
    bound += bindClass(env, "com/vostrand/oru/SplashScreen", splash,
                       static_cast<int>(std::size(splash)));
    return bound;
}

}  // namespace oru
