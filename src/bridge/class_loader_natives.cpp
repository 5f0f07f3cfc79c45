// The class loader's natives: classes and resources served out of the archive store.
#include "bridge/class_loader_natives.h"

#include <atomic>

#include "bridge/bridge_state.h"
#include "bridge/class_definition.h"
#include "bridge/java_names.h"
#include "bridge/jni_array_sink.h"
#include "bridge/package_definition.h"
#include "bridge/resource_urls.h"
#include "jvm/jni_support.h"
#include "support/string_list.h"

namespace oru {

namespace {

// The Handler instance every URL made here uses: a global reference, created once.
std::atomic<jobject> sharedHandler{nullptr};

jobject urlHandler(JNIEnv* env) {
    jobject handler = sharedHandler.load(std::memory_order_acquire);
    if (handler) return handler;
    // Under the lock, so that two threads never make two. Handler's static initialiser
    // calls no native, so nothing it runs can wait for this lock.
    platform::LockGuard guard(bridgeLock());
    handler = sharedHandler.load(std::memory_order_relaxed);
    if (handler) return handler;
    LocalRef<jclass> type(env, env->FindClass("com/vostrand/oru/Handler"));
    jmethodID constructor = type ? env->GetMethodID(type.get(), "<init>", "()V") : nullptr;
    LocalRef<jobject> instance(env,
                               constructor ? env->NewObject(type.get(), constructor) : nullptr);
    handler = instance ? env->NewGlobalRef(instance.get()) : nullptr;
    if (!handler) {
        clearPendingException(env, true);
        return nullptr;
    }
    sharedHandler.store(handler, std::memory_order_release);
    return handler;
}

// The matches of findResources, as URL texts (in which a name's NUL byte is an escape),
// and which of them, if any, is the executable's own entry.
struct FoundResources {
    StringList texts;
    int outer = -1;
};

int collectUrlText(void* context, const NarrowString& found) {
    auto* resources = static_cast<FoundResources*>(context);
    int bang = found.length();
    while (bang > 0 && found.byteAt(bang - 1) != '!') --bang;
    if (bang == 0) resources->outer = resources->texts.count();
    resources->texts.add(resourceUrlText(found));
    return 0;
}

// Whether `loader`'s parents find `name`. The built-in application loader, a parent of
// every loader of ours, has the executable first on its class path: when it finds the
// executable's own entry, ClassLoader.getResources lists that copy already.
bool parentFinds(JNIEnv* env, jobject loader, jstring name) {
    LocalRef<jclass> type(env, env->FindClass("java/lang/ClassLoader"));
    jmethodID getParent =
        type ? env->GetMethodID(type.get(), "getParent", "()Ljava/lang/ClassLoader;") : nullptr;
    jmethodID getResource = getParent ? env->GetMethodID(type.get(), "getResource",
                                                         "(Ljava/lang/String;)Ljava/net/URL;")
                                      : nullptr;
    LocalRef<jobject> parent(env, getResource ? env->CallObjectMethod(loader, getParent) : nullptr);
    LocalRef<jobject> url(env, parent && !env->ExceptionCheck()
                                   ? env->CallObjectMethod(parent.get(), getResource, name)
                                   : nullptr);
    clearPendingException(env, true);
    return url.get() != nullptr;
}

}  // namespace

jclass findArchivedClass(JNIEnv* env, jobject loader, jstring name) {
    LocalRef<jclass> loaderClass(env, env->GetObjectClass(loader));
    jmethodID defineClass = env->GetMethodID(
        loaderClass.get(), "defineClass",
        "(Ljava/lang/String;[BIILjava/security/ProtectionDomain;)Ljava/lang/Class;");
    if (!defineClass) return nullptr;  // the lookup's error stays pending
    ensureArchiveOpen(env);
    ArchiveQuery query;
    NarrowString found;
    LocalRef<jbyteArray> bytes(env, nullptr);
    if (toArchiveQuery(env, name, '.', query)) {
        query.append(".class");
        // Read by the name it was found under, which says which jar holds it.
        if (rootArchive().locate(query.ansi, found, NarrowString(), nullptr, nullptr,
                                 query.utf8Form()))
            bytes.reset(readEntryAsByteArray(rootArchive(), env, found));
    }
    if (!bytes) {
        // The array could not be made (out of memory): say so, then report the class
        // as not found, which is what the caller can act on.
        clearPendingException(env, true);
        throwJavaException(env, "java/lang/ClassNotFoundException", name);
        return nullptr;
    }
    if (!definePackageFor(env, loader, name, found)) return nullptr;
    const jsize length = env->GetArrayLength(bytes.get());
    jobject domain = archiveProtectionDomain(env);
    auto defined = static_cast<jclass>(
        env->CallObjectMethod(loader, defineClass, name, bytes.get(), 0, length, domain));
    // defineClass's own error (ClassFormatError, ...) stays pending for the caller; the
    // check only tells -Xcheck:jni that it was looked at.
    env->ExceptionCheck();
    return defined;
}

jobject findArchivedResource(JNIEnv* env, jobject, jstring name) {
    ensureArchiveOpen(env);
    ArchiveQuery query;
    if (!toArchiveQuery(env, name, '/', query)) return nullptr;
    NarrowString found;
    if (!rootArchive().locate(query.ansi, found, NarrowString(), nullptr, nullptr, query.utf8Form(),
                              EmbeddedArchive::NameForm::kUtf8))
        return nullptr;
    return makeResourceUrl(env, resourceUrlText(found).c_str());
}

jobject findArchivedResources(JNIEnv* env, jobject loader, jstring name) {
    ensureArchiveOpen(env);
    LocalRef<jclass> vectorClass(env, env->FindClass("java/util/Vector"));
    jmethodID constructor =
        vectorClass ? env->GetMethodID(vectorClass.get(), "<init>", "()V") : nullptr;
    jmethodID add =
        constructor ? env->GetMethodID(vectorClass.get(), "add", "(Ljava/lang/Object;)Z") : nullptr;
    jmethodID elements =
        add ? env->GetMethodID(vectorClass.get(), "elements", "()Ljava/util/Enumeration;")
            : nullptr;
    LocalRef<jobject> vector(env,
                             elements ? env->NewObject(vectorClass.get(), constructor) : nullptr);
    if (!vector) {
        clearPendingException(env, true);
        return nullptr;
    }
    FoundResources found;
    ArchiveQuery query;
    NarrowString first;
    if (toArchiveQuery(env, name, '/', query))
        rootArchive().locate(query.ansi, first, NarrowString(), collectUrlText, &found,
                             query.utf8Form(), EmbeddedArchive::NameForm::kUtf8);
    const int skipped = found.outer >= 0 && parentFinds(env, loader, name) ? found.outer : -1;
    for (int i = 0; i < found.texts.count(); ++i) {
        if (i == skipped) continue;
        // A URL that cannot be made is left out: a null element would only move the
        // failure into the application's loop over the enumeration.
        LocalRef<jobject> url(env, makeResourceUrl(env, found.texts.at(i)));
        if (url) env->CallBooleanMethod(vector.get(), add, url.get());
        clearPendingException(env, true);
    }
    jobject enumeration = env->CallObjectMethod(vector.get(), elements);
    if (env->ExceptionCheck()) clearPendingException(env, true);
    return enumeration;
}

jobject makeResourceUrl(JNIEnv* env, const char* text) {
    jobject handler = urlHandler(env);
    if (!handler) return nullptr;
    LocalRef<jclass> urlClass(env, env->FindClass("java/net/URL"));
    jmethodID constructor =
        urlClass
            ? env->GetMethodID(urlClass.get(), "<init>",
                               "(Ljava/net/URL;Ljava/lang/String;Ljava/net/URLStreamHandler;)V")
            : nullptr;
    LocalRef<jstring> spec(env, constructor ? newJavaString(env, text) : nullptr);
    jobject url =
        spec ? env->NewObject(urlClass.get(), constructor, nullptr, spec.get(), handler) : nullptr;
    if (env->ExceptionCheck() || !url) {
        clearPendingException(env, true);
        if (url) env->DeleteLocalRef(url);
        return nullptr;
    }
    return url;
}

}  // namespace oru
