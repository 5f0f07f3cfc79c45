// The class loader's natives: classes and resources served out of the archive store.
#include "bridge/class_loader_natives.h"

#include <atomic>
#include <cstring>

#include "bridge/bridge_state.h"
#include "bridge/class_definition.h"
#include "bridge/java_names.h"
#include "bridge/jni_array_sink.h"
#include "bridge/package_definition.h"
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

// Whether a URI must carry byte `c` of a name as an escape, as the JDK's jar: URLs do.
bool needsEscape(unsigned char c) {
    return c <= 0x20 || c >= 0x7F || std::strchr("%\"<>\\^`{|}#?", c) != nullptr;
}

int collectName(void* context, const NarrowString& found) {
    static_cast<StringList*>(context)->add(found.c_str());
    return 0;
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
    return static_cast<jclass>(env->CallObjectMethod(loader, defineClass, name, bytes.get(), 0,
                                                     env->GetArrayLength(bytes.get()),
                                                     archiveProtectionDomain(env)));
}

jobject findArchivedResource(JNIEnv* env, jobject, jstring name) {
    ensureArchiveOpen(env);
    ArchiveQuery query;
    if (!toArchiveQuery(env, name, '/', query)) return nullptr;
    NarrowString found;
    if (!rootArchive().locate(query.ansi, found, NarrowString(), nullptr, nullptr,
                              query.utf8Form()))
        return nullptr;
    return makeResourceUrl(env, found);
}

jobject findArchivedResources(JNIEnv* env, jobject, jstring name) {
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
    StringList names;
    ArchiveQuery query;
    NarrowString found;
    if (toArchiveQuery(env, name, '/', query))
        rootArchive().locate(query.ansi, found, NarrowString(), collectName, &names,
                             query.utf8Form());
    for (int i = 0; i < names.count(); ++i) {
        // A URL that cannot be made is left out: a null element would only move the
        // failure into the application's loop over the enumeration.
        LocalRef<jobject> url(env, makeResourceUrl(env, NarrowString(names.at(i))));
        if (url) env->CallBooleanMethod(vector.get(), add, url.get());
        clearPendingException(env, true);
    }
    jobject enumeration = env->CallObjectMethod(vector.get(), elements);
    if (!enumeration) clearPendingException(env, true);
    return enumeration;
}

NarrowString resourceUrlText(const NarrowString& composedName) {
    static const char kHex[] = "0123456789ABCDEF";
    NarrowString text("oru:");
    for (int i = 0; i < composedName.length(); ++i) {
        const auto c = static_cast<unsigned char>(composedName.byteAt(i));
        if (c == '\\') {
            text += '/';
        } else if (needsEscape(c)) {
            const char escape[3] = {'%', kHex[c >> 4], kHex[c & 15]};
            text.append(escape, 3);
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

jobject makeResourceUrl(JNIEnv* env, const NarrowString& composedName) {
    jobject handler = urlHandler(env);
    if (!handler) return nullptr;
    LocalRef<jclass> urlClass(env, env->FindClass("java/net/URL"));
    jmethodID constructor =
        urlClass
            ? env->GetMethodID(urlClass.get(), "<init>",
                               "(Ljava/net/URL;Ljava/lang/String;Ljava/net/URLStreamHandler;)V")
            : nullptr;
    LocalRef<jstring> text(
        env, constructor ? newJavaString(env, resourceUrlText(composedName).c_str()) : nullptr);
    jobject url =
        text ? env->NewObject(urlClass.get(), constructor, nullptr, text.get(), handler) : nullptr;
    if (!url) clearPendingException(env, true);
    return url;
}

}  // namespace oru
