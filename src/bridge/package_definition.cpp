// Package definition and sealing for classes read from the archive.
#include "bridge/package_definition.h"

#include "archive/manifest.h"
#include "bridge/bridge_state.h"
#include "bridge/class_definition.h"
#include "bridge/java_names.h"
#include "jvm/jni_support.h"
#include "platform/lock.h"
#include "platform/text_codec.h"

namespace oru {

namespace {

// Every class from the archive has the executable's URL as its code source, so
// Package.isSealed(url) cannot tell the jars apart: the jar that sealed each package is
// kept here, beside a weak reference to the package, under the lock (which also covers
// the definition of a sealed package, so that it has its record once it exists).
struct Seal {
    Seal* next;
    jweak package;
    NarrowString jar;
};
Seal* seals = nullptr;
platform::Lock& sealLock = *new platform::Lock;

const char* const kAttributes[] = {"Specification-Title",    "Specification-Version",
                                   "Specification-Vendor",   "Implementation-Title",
                                   "Implementation-Version", "Implementation-Vendor"};

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

// The jar part of a composed name (up to its last "!"); "" for the outer archive.
NarrowString jarOf(const NarrowString& composedName) {
    int bang = composedName.length();
    while (bang > 0 && composedName.byteAt(bang - 1) != '!') --bang;
    return composedName.left(bang > 0 ? bang - 1 : 0);
}

bool sealsPackage(const JarManifest* manifest, const NarrowString& section) {
    ManifestValue value;
    return manifest && manifest->findForPackage(section, "Sealed", value) && value.isTrue();
}

// Leaves java's SecurityException pending: "sealing violation: " and `before`, the
// package's name and `after`.
void throwSealingViolation(JNIEnv* env, const char* before, const NarrowString& section,
                           const char* after) {
    NarrowString message("sealing violation: ");
    message += before;
    for (int i = 0; i + 1 < section.length(); ++i)
        message += section.byteAt(i) == '/' ? '.' : section.byteAt(i);
    message += after;
    LocalRef<jstring> text(
        env, newJavaStringFromUtf8(env, message.c_str(), static_cast<uint32_t>(message.length())));
    if (text) throwJavaException(env, "java/lang/SecurityException", text.get());
}

// What a class needs to know to define its package.
struct PackageRequest {
    jobject loader;
    jclass loaderClass;
    jstring package;
    NarrowString section;
    NarrowString jar;
    const JarManifest* manifest;  // null when the jar has none that java reads
    bool modular;                 // Java 9 and later, whose loaders word one message apart
};

// As getAndVerifyPackage: true when the class may join `existing`.
bool mayJoin(JNIEnv* env, const PackageRequest& request, jobject existing) {
    LocalRef<jclass> type(env, env->GetObjectClass(existing));
    jmethodID isSealed = env->GetMethodID(type.get(), "isSealed", "()Z");
    const bool sealed = isSealed && env->CallBooleanMethod(existing, isSealed);
    if (clearPendingException(env, false)) return true;
    if (!sealed) {
        if (!sealsPackage(request.manifest, request.section)) return true;
        throwSealingViolation(env, "can't seal package ", request.section,
                              request.modular ? ": already defined" : ": already loaded");
        return false;
    }
    // A package sealed by no class from the archive was sealed at another URL than the
    // executable's.
    const Seal* seal = nullptr;
    {
        platform::LockGuard guard(sealLock);
        for (seal = seals; seal && !env->IsSameObject(seal->package, existing);) seal = seal->next;
    }
    if (seal && request.jar == seal->jar.c_str()) return true;
    throwSealingViolation(env, "package ", request.section, " is sealed");
    return false;
}

// As definePackage(name, manifest, url); false when another thread defined the package
// first (its IllegalArgumentException cleared), true otherwise.
bool define(JNIEnv* env, const PackageRequest& request) {
    jmethodID definePackage = env->GetMethodID(
        request.loaderClass, "definePackage",
        "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/"
        "String;Ljava/lang/String;Ljava/lang/String;Ljava/net/URL;)Ljava/lang/Package;");
    if (!definePackage) {
        clearPendingException(env, false);
        return true;
    }
    jstring values[6] = {};
    for (int i = 0; i < 6 && request.manifest; ++i) {
        ManifestValue value;
        if (request.manifest->findForPackage(request.section, kAttributes[i], value))
            values[i] = newJavaStringFromUtf8(env, value.bytes, value.length);
        clearPendingException(env, false);
    }
    jobject sealBase =
        sealsPackage(request.manifest, request.section) ? archiveLocation(env) : nullptr;
    // The seal lock is held while a sealed package is defined, so that it is recorded
    // before another class can find it; an unsealed one takes a lock nobody else waits for.
    platform::Lock unshared;
    platform::LockGuard guard(sealBase ? sealLock : unshared);
    LocalRef<jobject> made(
        env,
        env->CallObjectMethod(request.loader, definePackage, request.package, values[0], values[1],
                              values[2], values[3], values[4], values[5], sealBase));
    const bool defined = !clearPendingException(env, false);
    jweak package = made && sealBase ? env->NewWeakGlobalRef(made.get()) : nullptr;
    if (package) seals = new Seal{seals, package, request.jar};
    for (jstring text : values)
        if (text) env->DeleteLocalRef(text);
    return defined;
}

}  // namespace

bool definePackageFor(JNIEnv* env, jobject loader, jstring name, const NarrowString& composedName) {
    PackageRequest request = {};
    request.loader = loader;
    request.jar = jarOf(composedName);
    request.modular = true;
    LocalRef<jstring> package(env, packageOf(env, name, request.section));
    LocalRef<jclass> loaderClass(env, package ? env->GetObjectClass(loader) : nullptr);
    if (!loaderClass) return true;
    request.package = package.get();
    request.loaderClass = loaderClass.get();
    // getDefinedPackage from Java 9 on; getPackage, which also asks the parents, before.
    jmethodID defined = env->GetMethodID(loaderClass.get(), "getDefinedPackage",
                                         "(Ljava/lang/String;)Ljava/lang/Package;");
    if (!defined) {
        env->ExceptionClear();
        request.modular = false;
        defined = env->GetMethodID(loaderClass.get(), "getPackage",
                                   "(Ljava/lang/String;)Ljava/lang/Package;");
    }
    if (!defined) {
        env->ExceptionClear();
        return true;
    }
    const JarManifest* manifest = rootArchive().manifestOf(composedName);
    request.manifest = manifest && manifest->valid() ? manifest : nullptr;
    // A second look when another thread defined the package meanwhile, as java's loaders
    // verify it again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        LocalRef<jobject> existing(env, env->CallObjectMethod(loader, defined, package.get()));
        if (clearPendingException(env, false)) return true;
        if (existing) return mayJoin(env, request, existing.get());
        if (define(env, request)) return true;
    }
    return true;
}

}  // namespace oru
