// The code source that every class read from the archive shares.
#include "bridge/class_definition.h"

#include <atomic>

#include "bridge/bridge_state.h"
#include "jvm/jni_support.h"

namespace oru {

namespace {

std::atomic<jobject> sharedDomain{nullptr};
std::atomic<jobject> sharedLocation{nullptr};

// Calls `name` `descriptor` (no arguments) on `object`; a local reference.
jobject callObject(JNIEnv* env, jobject object, const char* name, const char* descriptor) {
    if (!object) return nullptr;
    LocalRef<jclass> type(env, env->GetObjectClass(object));
    jmethodID method = env->GetMethodID(type.get(), name, descriptor);
    if (!method) {
        env->ExceptionClear();
        return nullptr;
    }
    return unlessThrown(env, env->CallObjectMethod(object, method));
}

// new `className`(arguments) for a constructor of `descriptor`; a local reference.
jobject construct(JNIEnv* env, const char* className, const char* descriptor,
                  const jvalue* arguments) {
    LocalRef<jclass> type(env, env->FindClass(className));
    jmethodID constructor = type ? env->GetMethodID(type.get(), "<init>", descriptor) : nullptr;
    return constructor ? env->NewObjectA(type.get(), constructor, arguments) : nullptr;
}

void makeDomain(JNIEnv* env) {
    // The executable's location as java -jar gives the jar's: File.toURI().toURL().
    jvalue arguments[4] = {};
    LocalRef<jstring> path(env, newJavaString(env, runningExecutablePath().c_str()));
    arguments[0].l = path.get();
    LocalRef<jobject> file(
        env, path ? construct(env, "java/io/File", "(Ljava/lang/String;)V", arguments) : nullptr);
    LocalRef<jobject> uri(env, callObject(env, file.get(), "toURI", "()Ljava/net/URI;"));
    LocalRef<jobject> url(env, callObject(env, uri.get(), "toURL", "()Ljava/net/URL;"));
    arguments[0].l = url.get();
    LocalRef<jobject> source(
        env, url ? construct(env, "java/security/CodeSource",
                             "(Ljava/net/URL;[Ljava/security/cert/Certificate;)V", arguments)
                 : nullptr);
    arguments[0].l = source.get();
    LocalRef<jobject> domain(
        env, source ? construct(env, "java/security/ProtectionDomain",
                                "(Ljava/security/CodeSource;Ljava/security/PermissionCollection;"
                                "Ljava/lang/ClassLoader;[Ljava/security/Principal;)V",
                                arguments)
                    : nullptr);
    jobject location = domain ? env->NewGlobalRef(url.get()) : nullptr;
    jobject shared = location ? env->NewGlobalRef(domain.get()) : nullptr;
    clearPendingException(env, true);
    if (!shared) return;
    sharedLocation.store(location, std::memory_order_release);
    sharedDomain.store(shared, std::memory_order_release);
}

}  // namespace

jobject archiveProtectionDomain(JNIEnv* env) {
    if (!sharedDomain.load(std::memory_order_acquire)) {
        platform::LockGuard guard(bridgeLock());
        if (!sharedDomain.load(std::memory_order_relaxed)) makeDomain(env);
    }
    return sharedDomain.load(std::memory_order_acquire);
}

jobject archiveLocation(JNIEnv* env) {
    return archiveProtectionDomain(env) ? sharedLocation.load(std::memory_order_acquire) : nullptr;
}

}  // namespace oru
