// Main class invocation: the launcher's class loader first, the system class path next,
// then the main method that java would start, with the command-line arguments.
#include "jvm/jni_support.h"
#include "jvm/main_method.h"
#include "jvm/vm_host.h"
#include "platform/arguments.h"
#include "platform/trace.h"
#include "support/wide_string.h"

namespace oru {

namespace {

// Makes `loader` the current thread's context class loader; failures are printed and
// do not stop the launch.
void installContextClassLoader(JNIEnv* env, jobject loader) {
    LocalRef<jclass> threadClass(env, env->FindClass("java/lang/Thread"));
    if (!threadClass) {
        clearPendingException(env, false);
        return;
    }
    jmethodID currentThread =
        env->GetStaticMethodID(threadClass.get(), "currentThread", "()Ljava/lang/Thread;");
    jmethodID setLoader = currentThread
                              ? env->GetMethodID(threadClass.get(), "setContextClassLoader",
                                                 "(Ljava/lang/ClassLoader;)V")
                              : nullptr;
    if (!setLoader) {
        clearPendingException(env, true);
        return;
    }
    LocalRef<jobject> thread(
        env, unlessThrown(env, env->CallStaticObjectMethod(threadClass.get(), currentThread)));
    if (!thread) {
        clearPendingException(env, true);
        return;
    }
    env->CallVoidMethod(thread.get(), setLoader, loader);
    clearPendingException(env, true);
}

// The system class loader when it is the launcher's own (started so); else null.
jobject launcherSystemLoader(JNIEnv* env, jclass loaderClass) {
    LocalRef<jclass> base(env, env->FindClass("java/lang/ClassLoader"));
    jmethodID getSystem = base ? env->GetStaticMethodID(base.get(), "getSystemClassLoader",
                                                        "()Ljava/lang/ClassLoader;")
                               : nullptr;
    LocalRef<jobject> system(
        env, getSystem ? env->CallStaticObjectMethod(base.get(), getSystem) : nullptr);
    clearPendingException(env, false);
    return system && env->IsInstanceOf(system.get(), loaderClass) ? system.release() : nullptr;
}

// The main class loaded through the launcher's class loader (the system class loader
// when it is one, else a new one), which also becomes the thread's context class
// loader; null (nothing printed) when any step fails. The returned local reference
// belongs to the caller.
jclass loadMainClass(JNIEnv* env, const NarrowString& name) {
    LocalRef<jclass> loaderClass(env, env->FindClass("com/vostrand/oru/KestrunClassLoader"));
    jmethodID loadClass = loaderClass ? env->GetMethodID(loaderClass.get(), "loadClass",
                                                         "(Ljava/lang/String;)Ljava/lang/Class;")
                                      : nullptr;
    LocalRef<jobject> loader(env,
                             loadClass ? launcherSystemLoader(env, loaderClass.get()) : nullptr);
    LocalRef<jclass> classClass(
        env, loadClass && !loader ? env->GetObjectClass(loaderClass.get()) : nullptr);
    jmethodID newInstance =
        classClass ? env->GetMethodID(classClass.get(), "newInstance", "()Ljava/lang/Object;")
                   : nullptr;
    if (newInstance) loader.reset(env->CallObjectMethod(loaderClass.get(), newInstance));
    if (env->ExceptionCheck()) loader.reset(nullptr);
    if (!loader) {
        const NarrowString why = takePendingException(env);
        if (!why.empty())
            trace::event("main", "the launcher's loader is unusable: %s", why.c_str());
        return nullptr;
    }
    // The VM holds on to the loader as the context loader and as defining loader of
    // what it loads; this local reference can go.
    installContextClassLoader(env, loader.get());
    LocalRef<jstring> javaName(env, newJavaString(env, name.c_str()));
    jobject loaded =
        javaName ? unlessThrown(env, env->CallObjectMethod(loader.get(), loadClass, javaName.get()))
                 : nullptr;
    if (!loaded) clearPendingException(env, false);
    return static_cast<jclass>(loaded);
}

// The main class found by FindClass on the system class path; null, with the
// reason printed, when it is not there.
jclass findMainClassDirect(JNIEnv* env, const NarrowString& name) {
    NarrowString slashed = toModifiedUtf8(name.c_str());
    for (int i = 0; i < slashed.length(); ++i)
        if (slashed.byteAt(i) == '.') slashed.data()[i] = '/';
    // FindClass with an empty name throws instead of failing quietly; either way the
    // result is null and the exception is printed.
    jclass found = env->FindClass(slashed.c_str());
    if (!found) clearPendingException(env, true);
    return found;
}

// Argument `index` as a Java string: from the ANSI code page, or as typed where the
// ANSI vector lost characters of it.
jstring argumentString(JNIEnv* env, int index, const char* narrow) {
    WideString typed;
    if (platform::exactArgument(index, narrow, typed))
        return env->NewString(reinterpret_cast<const jchar*>(typed.c_str()), typed.length());
    return newJavaString(env, narrow);
}

// A new String[] holding the arguments converted from the ANSI code page; a local
// reference owned by the caller. Null, with the VM's exception pending, when any part of
// it cannot be made: main must never see an array with arguments missing.
jobjectArray buildMainArguments(JNIEnv* env, int argc, char** argv) {
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    LocalRef<jobjectArray> array(env, env->NewObjectArray(argc, stringClass.get(), nullptr));
    if (!array) return nullptr;
    for (int i = 0; i < argc; ++i) {
        LocalRef<jstring> text(env, argumentString(env, i, argv[i] ? argv[i] : ""));
        if (!text) return nullptr;
        env->SetObjectArrayElement(array.get(), i, text.get());
        if (env->ExceptionCheck()) return nullptr;
    }
    return array.release();
}

// Looks up the chosen main by name on the main class, as java does, and calls it: on
// a new instance made by the no-argument constructor for an instance main. 8, the
// reason printed, when the lookup fails; otherwise 0, with whatever the constructor or
// main threw left pending.
LaunchResult callMain(JNIEnv* env, jclass mainClass, const MainMethod& chosen,
                      jobjectArray arguments, int argc) {
    const char* descriptor = chosen.takesArguments ? "([Ljava/lang/String;)V" : "()V";
    LocalRef<jobject> instance(env, nullptr);
    if (chosen.kind == MainMethod::kInstance) {
        jmethodID constructor = env->GetMethodID(mainClass, "<init>", "()V");
        if (!constructor) {
            clearPendingException(env, true);
            trace::event("main", "no constructor without parameters");
            return kMainMethodMissing;
        }
        instance.reset(env->NewObject(mainClass, constructor));
        // Checked at once, as -Xcheck:jni wants; the exception then stays for the caller.
        if (env->ExceptionCheck() || !instance) {
            trace::event("main", "the constructor threw an exception");
            return kLaunchSucceeded;
        }
    }
    jmethodID main = instance ? env->GetMethodID(mainClass, "main", descriptor)
                              : env->GetStaticMethodID(mainClass, "main", descriptor);
    if (!main) {
        clearPendingException(env, true);
        trace::event("main", "no %s", describeMainMethod(chosen));
        return kMainMethodMissing;
    }
    if (chosen.takesArguments)
        trace::event("main", "calling %s with %d arguments", describeMainMethod(chosen), argc);
    else
        trace::event("main", "calling %s, %d arguments unused", describeMainMethod(chosen), argc);
    if (instance && chosen.takesArguments)
        env->CallVoidMethod(instance.get(), main, arguments);
    else if (instance)
        env->CallVoidMethod(instance.get(), main);
    else if (chosen.takesArguments)
        env->CallStaticVoidMethod(mainClass, main, arguments);
    else
        env->CallStaticVoidMethod(mainClass, main);
    return kLaunchSucceeded;
}

// Hands the application to JavaFX's launcher as java's FXHelper does: by the main
// class's name, in the launch mode of a class named on the command line. The launcher
// loads the class through this thread's context class loader, the launcher's own.
LaunchResult launchJavaFx(JNIEnv* env, const MainMethod& chosen, const NarrowString& mainClass,
                          jobjectArray arguments, int argc) {
    LocalRef<jstring> name(env, newJavaString(env, mainClass.c_str()));
    LocalRef<jstring> mode(env, name ? env->NewStringUTF("LM_CLASS") : nullptr);
    if (!mode) {
        clearPendingException(env, true);
        return kVmCreationFailed;
    }
    trace::event("main", "calling %s with %d arguments", describeMainMethod(chosen), argc);
    env->CallStaticVoidMethod(chosen.javaFxLauncher, chosen.javaFxLaunch, name.get(), mode.get(),
                              arguments);
    return kLaunchSucceeded;
}

}  // namespace

namespace {

// Why the system class loader stays the runtime's own, traced with the cause.
bool keepRuntimeSystemLoader(JNIEnv* env, const char* why) {
    const NarrowString exception = takePendingException(env);
    trace::event("main", "system class loader: the runtime's own: %s%s%s", why,
                 exception.empty() ? "" : ": ", exception.c_str());
    return false;
}

}  // namespace

bool VmHost::installLauncherSystemLoader() {
    JNIEnv* env = env_;
    if (!env) return false;
    LocalRef<jclass> loaderClass(env, env->FindClass("com/vostrand/oru/KestrunClassLoader"));
    if (!loaderClass) return keepRuntimeSystemLoader(env, "the launcher's loader is unusable");
    jmethodID constructor =
        env->GetMethodID(loaderClass.get(), "<init>", "(Ljava/lang/ClassLoader;)V");
    if (!constructor)
        return keepRuntimeSystemLoader(env,
                                       "the archive's loader has no constructor taking "
                                       "its parent (an archive of an older oru-pack)");
    LocalRef<jclass> base(env, env->FindClass("java/lang/ClassLoader"));
    jmethodID getSystem = base ? env->GetStaticMethodID(base.get(), "getSystemClassLoader",
                                                        "()Ljava/lang/ClassLoader;")
                               : nullptr;
    jfieldID system =
        getSystem ? env->GetStaticFieldID(base.get(), "scl", "Ljava/lang/ClassLoader;") : nullptr;
    if (!system) return keepRuntimeSystemLoader(env, "this runtime keeps no field ClassLoader.scl");
    LocalRef<jobject> parent(env,
                             unlessThrown(env, env->CallStaticObjectMethod(base.get(), getSystem)));
    LocalRef<jobject> loader(
        env, parent ? env->NewObject(loaderClass.get(), constructor, parent.get()) : nullptr);
    if (!loader) return keepRuntimeSystemLoader(env, "the launcher's loader cannot be made");
    // Java 8 also keeps a flag that the loader has been made.
    if (jfieldID made = env->GetStaticFieldID(base.get(), "sclSet", "Z"))
        env->SetStaticBooleanField(base.get(), made, JNI_TRUE);
    clearPendingException(env, false);
    env->SetStaticObjectField(base.get(), system, loader.get());
    trace::event("main", "system class loader: the launcher's loader (ClassLoader.scl replaced)");
    return true;
}

LaunchResult VmHost::runMain(const NarrowString& mainClass, int argc, char** argv) {
    JNIEnv* env = env_;
    if (!env) return kMainClassNotFound;
    trace::event("main", "main class \"%s\"", mainClass.c_str());
    jclass loaded = loadMainClass(env, mainClass);
    if (loaded) {
        trace::event("main", "loaded through the launcher's class loader");
    } else {
        loaded = findMainClassDirect(env, mainClass);
        if (loaded) trace::event("main", "loaded from the class path directly");
    }
    LocalRef<jclass> found(env, loaded);
    if (!found) {
        clearPendingException(env, true);
        trace::event("main", "not found");
        return kMainClassNotFound;
    }
    MainMethod chosen = findMainMethod(env, found.get());
    LocalRef<jclass> javaFxLauncher(env, chosen.javaFxLauncher);
    if (chosen.kind == MainMethod::kNone) return kMainMethodMissing;
    // As java, the arguments are made before main is looked up, and whether or not
    // main takes them.
    LocalRef<jobjectArray> arguments(env, buildMainArguments(env, argc, argv));
    if (!arguments) {
        // Out of memory before main could run: print why, and report a start that failed.
        clearPendingException(env, true);
        return kVmCreationFailed;
    }
    const LaunchResult result = chosen.kind == MainMethod::kJavaFx
                                    ? launchJavaFx(env, chosen, mainClass, arguments.get(), argc)
                                    : callMain(env, found.get(), chosen, arguments.get(), argc);
    if (result != kLaunchSucceeded) return result;
    // An exception out of main stays pending: detaching the thread hands it to the
    // thread's uncaught-exception handler, which prints it as java does ("Exception in
    // thread "main" ...", or the application's own handler).
    mainThrew_ = env->ExceptionCheck() == JNI_TRUE;
    trace::event("main", "main %s", mainThrew_ ? "threw an exception" : "returned");
    return kLaunchSucceeded;
}

}  // namespace oru
