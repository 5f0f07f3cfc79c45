// Code source and package definition for classes read from the archive.
#include "bridge/class_definition.h"

#include <atomic>

#include "archive/manifest.h"
#include "bridge/bridge_state.h"
#include "jvm/jni_support.h"
#include "platform/text_codec.h"

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

// The package of class `name`: its Java name (a local reference, null for none) and the
// manifest section that belongs to it ("a/b/").
jstring packageOf(JNIEnv* env, jstring name, NarrowString& section) {
    const jsize length = env->GetStringLength(name);
    const jchar* chars = env->GetStringChars(name, nullptr);
    if (!chars) return nullptr;
    jsize dot = length;
    while (dot > 0 && chars[dot - 1] != '.') --dot;
    if (dot > 1) platform::appendUtf8(section, reinterpret_cast<const char16_t*>(chars), dot - 1);
    jstring package = dot > 1 ? env->NewString(chars, dot - 1) : nullptr;
    env->ReleaseStringChars(name, chars);
    for (int i = 0; i < section.length(); ++i)
        if (section.byteAt(i) == '.') section.data()[i] = '/';
    section += '/';
    return package;
}

// The manifest of the jar that holds `composedName` (up to its last "!"); empty when it
// has none, or the class lies in the outer archive.
NarrowString manifestOf(const NarrowString& composedName) {
    int bang = composedName.length();
    while (bang > 0 && composedName.byteAt(bang - 1) != '!') --bang;
    if (bang == 0) return NarrowString();
    TextSink sink;
    rootArchive().readEntry(sink, composedName.left(bang) + "META-INF\\MANIFEST.MF");
    return sink.text;
}

}  // namespace

jobject archiveProtectionDomain(JNIEnv* env) {
    if (!sharedDomain.load(std::memory_order_acquire)) {
        platform::LockGuard guard(bridgeLock());
        if (!sharedDomain.load(std::memory_order_relaxed)) makeDomain(env);
    }
    return sharedDomain.load(std::memory_order_acquire);
}

void definePackageFor(JNIEnv* env, jobject loader, jstring name, const NarrowString& composedName) {
    NarrowString section;
    LocalRef<jstring> package(env, packageOf(env, name, section));
    LocalRef<jclass> loaderClass(env, package ? env->GetObjectClass(loader) : nullptr);
    if (!loaderClass) return;
    // getDefinedPackage from Java 9 on; getPackage, which also asks the parents, before.
    jmethodID defined = env->GetMethodID(loaderClass.get(), "getDefinedPackage",
                                         "(Ljava/lang/String;)Ljava/lang/Package;");
    if (!defined) {
        env->ExceptionClear();
        defined = env->GetMethodID(loaderClass.get(), "getPackage",
                                   "(Ljava/lang/String;)Ljava/lang/Package;");
    }
    LocalRef<jobject> existing(
        env, defined ? env->CallObjectMethod(loader, defined, package.get()) : nullptr);
    if (clearPendingException(env, false)) return;
    const NarrowString manifest = existing ? NarrowString() : manifestOf(composedName);
    jmethodID definePackage =
        manifest.empty() ? nullptr
                         : env->GetMethodID(loaderClass.get(), "definePackage",
                                            "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/"
                                            "String;Ljava/lang/String;Ljava/lang/String;Ljava/"
                                            "lang/String;Ljava/lang/String;Ljava/net/URL;)"
                                            "Ljava/lang/Package;");
    if (!definePackage) {
        clearPendingException(env, false);
        return;
    }
    static const char* const kNames[] = {"Specification-Title",
                                         "Specification-Version",
                                         "Specification-Vendor",
                                         "Implementation-Title",
                                         "Implementation-Version",
                                         "Implementation-Vendor",
                                         "Sealed"};
    jstring values[6] = {};
    NarrowString value;
    for (int i = 0; i < 6; ++i) {
        if (manifestAttribute(manifest, section.c_str(), kNames[i], value) ||
            manifestAttribute(manifest, nullptr, kNames[i], value))
            values[i] = env->NewStringUTF(value.c_str());
    }
    value.clear();
    if (!manifestAttribute(manifest, section.c_str(), kNames[6], value))
        manifestAttribute(manifest, nullptr, kNames[6], value);
    const bool sealed = value.compareNoCase("true") == 0;
    const jobject sealBase = sealed && archiveProtectionDomain(env)
                                 ? sharedLocation.load(std::memory_order_acquire)
                                 : nullptr;
    // Another thread may have defined it meanwhile: its IllegalArgumentException is
    // dropped, and the class joins the package as defined.
    LocalRef<jobject> made(
        env, env->CallObjectMethod(loader, definePackage, package.get(), values[0], values[1],
                                   values[2], values[3], values[4], values[5], sealBase));
    for (jstring text : values)
        if (text) env->DeleteLocalRef(text);
    clearPendingException(env, false);
}

}  // namespace oru
