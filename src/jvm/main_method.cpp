// Choosing the main method as the java launcher of the running runtime chooses it: its
// own finder from Java 21 on, then the checks of its LauncherHelper; JavaFX's launcher
// for a javafx.application.Application.
#include "jvm/main_method.h"

#include <cstdlib>
#include <cstring>

#include "jvm/jni_support.h"
#include "platform/trace.h"
#include "support/narrow_string.h"

namespace oru {

namespace {

// java.lang.reflect.Modifier's bits.
constexpr jint kPublicBit = 0x0001;
constexpr jint kPrivateBit = 0x0002;
constexpr jint kStaticBit = 0x0008;
constexpr jint kAbstractBit = 0x0400;

// Calls the int method `name` without parameters of `object`; false, nothing pending,
// when it cannot be called or throws.
bool callIntMethod(JNIEnv* env, jobject object, const char* name, jint& result) {
    LocalRef<jclass> type(env, env->GetObjectClass(object));
    jmethodID method = type ? env->GetMethodID(type.get(), name, "()I") : nullptr;
    if (method) result = env->CallIntMethod(object, method);
    return !clearPendingException(env, false) && method;
}

bool callBooleanMethod(JNIEnv* env, jobject object, const char* name, bool& result) {
    LocalRef<jclass> type(env, env->GetObjectClass(object));
    jmethodID method = type ? env->GetMethodID(type.get(), name, "()Z") : nullptr;
    if (method) result = env->CallBooleanMethod(object, method) == JNI_TRUE;
    return !clearPendingException(env, false) && method;
}

// Whether the runtime was started with --enable-preview.
bool previewFeaturesEnabled(JNIEnv* env) {
    LocalRef<jclass> features(env, env->FindClass("jdk/internal/misc/PreviewFeatures"));
    jmethodID isEnabled =
        features ? env->GetStaticMethodID(features.get(), "isEnabled", "()Z") : nullptr;
    const bool enabled =
        isEnabled && env->CallStaticBooleanMethod(features.get(), isEnabled) == JNI_TRUE;
    return !clearPendingException(env, false) && enabled;
}

bool classNamed(JNIEnv* env, jclass type, const char* name) {
    LocalRef<jclass> classClass(env, env->GetObjectClass(type));
    jmethodID getName = classClass
                            ? env->GetMethodID(classClass.get(), "getName", "()Ljava/lang/String;")
                            : nullptr;
    LocalRef<jstring> text(
        env, getName ? unlessThrown(env, static_cast<jstring>(env->CallObjectMethod(type, getName)))
                     : nullptr);
    const char* chars = text ? env->GetStringUTFChars(text.get(), nullptr) : nullptr;
    const bool same = chars && std::strcmp(chars, name) == 0;
    if (chars) env->ReleaseStringUTFChars(text.get(), chars);
    clearPendingException(env, false);
    return same;
}

// Whether a superclass of `mainClass` is javafx.application.Application, told by names
// as java tells it, so that JavaFX itself is not loaded for the question.
bool extendsJavaFxApplication(JNIEnv* env, jclass mainClass) {
    LocalRef<jclass> type(env, env->GetSuperclass(mainClass));
    while (type) {
        if (classNamed(env, type.get(), "javafx.application.Application")) return true;
        type.reset(env->GetSuperclass(type.get()));
    }
    return false;
}

// JavaFX's launcher, com.sun.javafx.application.LauncherImpl, from the javafx.graphics
// module of the boot layer, where java finds it; false when the runtime has no module
// system or no such module.
bool findJavaFxLauncher(JNIEnv* env, MainMethod& main) {
    LocalRef<jclass> layerClass(env, env->FindClass("java/lang/ModuleLayer"));
    jmethodID boot =
        layerClass ? env->GetStaticMethodID(layerClass.get(), "boot", "()Ljava/lang/ModuleLayer;")
                   : nullptr;
    LocalRef<jobject> layer(
        env,
        boot ? unlessThrown(env, env->CallStaticObjectMethod(layerClass.get(), boot)) : nullptr);
    jmethodID findModule = layer ? env->GetMethodID(layerClass.get(), "findModule",
                                                    "(Ljava/lang/String;)Ljava/util/Optional;")
                                 : nullptr;
    LocalRef<jstring> moduleName(env, findModule ? env->NewStringUTF("javafx.graphics") : nullptr);
    LocalRef<jobject> found(
        env, moduleName ? unlessThrown(
                              env, env->CallObjectMethod(layer.get(), findModule, moduleName.get()))
                        : nullptr);
    LocalRef<jclass> optionalClass(env, found ? env->GetObjectClass(found.get()) : nullptr);
    jmethodID orElse = optionalClass ? env->GetMethodID(optionalClass.get(), "orElse",
                                                        "(Ljava/lang/Object;)Ljava/lang/Object;")
                                     : nullptr;
    LocalRef<jobject> module(
        env, orElse ? unlessThrown(env, env->CallObjectMethod(found.get(), orElse,
                                                              static_cast<jobject>(nullptr)))
                    : nullptr);
    LocalRef<jclass> classClass(env, module ? env->FindClass("java/lang/Class") : nullptr);
    jmethodID forName = classClass ? env->GetStaticMethodID(
                                         classClass.get(), "forName",
                                         "(Ljava/lang/Module;Ljava/lang/String;)Ljava/lang/Class;")
                                   : nullptr;
    LocalRef<jstring> launcherName(
        env, forName ? env->NewStringUTF("com.sun.javafx.application.LauncherImpl") : nullptr);
    LocalRef<jclass> launcher(
        env,
        launcherName
            ? unlessThrown(env, static_cast<jclass>(env->CallStaticObjectMethod(
                                    classClass.get(), forName, module.get(), launcherName.get())))
            : nullptr);
    // The method java's FXHelper calls: public static void, so a static lookup with
    // this descriptor checks what FXHelper checks.
    jmethodID launch = launcher ? env->GetStaticMethodID(
                                      launcher.get(), "launchApplication",
                                      "(Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;)V")
                                : nullptr;
    if (clearPendingException(env, false) || !launch) return false;
    main.kind = MainMethod::kJavaFx;
    main.javaFxLauncher = launcher.release();
    main.javaFxLaunch = launch;
    return true;
}

// What the runtime's own finder returns for `mainClass` (a java.lang.reflect.Method, or
// null for none) in `method`; false when the runtime has no finder. JNI is not held to
// the module boundary that keeps jdk.internal.misc from applications.
bool askRuntimeFinder(JNIEnv* env, jclass mainClass, jobject& method) {
    method = nullptr;
    // Java 22 on, then Java 21's name.
    static const char* const kFinders[] = {"jdk/internal/misc/MethodFinder",
                                           "jdk/internal/misc/MainMethodFinder"};
    for (const char* name : kFinders) {
        LocalRef<jclass> finder(env, env->FindClass(name));
        jmethodID find =
            finder ? env->GetStaticMethodID(finder.get(), "findMainMethod",
                                            "(Ljava/lang/Class;)Ljava/lang/reflect/Method;")
                   : nullptr;
        if (!find) {
            clearPendingException(env, false);
            continue;
        }
        method = env->CallStaticObjectMethod(finder.get(), find, mainClass);
        LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
        if (thrown) {
            env->ExceptionClear();
            // Java 21's finder says "none" with a NoSuchMethodException, which java does
            // not print; anything else (a class named by main's class that cannot be
            // loaded, ...) is worth seeing.
            LocalRef<jclass> none(env, env->FindClass("java/lang/NoSuchMethodException"));
            clearPendingException(env, false);
            if (!none || !env->IsInstanceOf(thrown.get(), none.get())) {
                env->Throw(thrown.get());
                clearPendingException(env, true);
            }
            method = nullptr;
        }
        return true;
    }
    return false;
}

// Why java would refuse to start `method`, the finder's choice for `mainClass`, under the
// checks of LauncherHelper.validateMainMethod; null when it starts it, the kind then set.
// `finalRules`: Java 25 on, where mains other than public static main(String[]) need no
// preview features.
const char* refusal(JNIEnv* env, jclass mainClass, jobject method, bool finalRules,
                    MainMethod& main) {
    jint modifiers = 0, parameters = 0;
    if (!callIntMethod(env, method, "getModifiers", modifiers) ||
        !callIntMethod(env, method, "getParameterCount", parameters))
        return "its main method cannot be inspected";
    const bool isStatic = (modifiers & kStaticBit) != 0;
    main.kind = isStatic ? MainMethod::kStatic : MainMethod::kInstance;
    main.takesArguments = parameters != 0;
    if (!finalRules && !previewFeaturesEnabled(env) &&
        (!isStatic || (modifiers & kPublicBit) == 0 || !main.takesArguments))
        return "preview features are off, and main is not public static main(String[])";

    LocalRef<jclass> methodClass(env, env->GetObjectClass(method));
    jmethodID getReturnType =
        methodClass ? env->GetMethodID(methodClass.get(), "getReturnType", "()Ljava/lang/Class;")
                    : nullptr;
    LocalRef<jobject> returned(
        env,
        getReturnType ? unlessThrown(env, env->CallObjectMethod(method, getReturnType)) : nullptr);
    LocalRef<jclass> voidClass(env, returned ? env->FindClass("java/lang/Void") : nullptr);
    jfieldID voidType =
        voidClass ? env->GetStaticFieldID(voidClass.get(), "TYPE", "Ljava/lang/Class;") : nullptr;
    LocalRef<jobject> voidTypeClass(
        env, voidType ? env->GetStaticObjectField(voidClass.get(), voidType) : nullptr);
    if (clearPendingException(env, false) || !voidTypeClass)
        return "its main method cannot be inspected";
    if (!env->IsSameObject(returned.get(), voidTypeClass.get())) return "main does not return void";
    if (isStatic) return nullptr;

    jint classModifiers = 0;
    bool member = false;
    if (!callIntMethod(env, mainClass, "getModifiers", classModifiers) ||
        !callBooleanMethod(env, mainClass, "isMemberClass", member))
        return "the class cannot be inspected";
    // Java 25 refuses an abstract class; Java 21 to 24 fail to instantiate it.
    if ((classModifiers & kAbstractBit) != 0) return "the class is abstract";
    if (member && (classModifiers & kStaticBit) == 0)
        return "the class is an inner class, made only with an enclosing instance";
    LocalRef<jclass> classClass(env, env->GetObjectClass(mainClass));
    jmethodID getConstructor =
        classClass ? env->GetMethodID(classClass.get(), "getDeclaredConstructor",
                                      "([Ljava/lang/Class;)Ljava/lang/reflect/Constructor;")
                   : nullptr;
    LocalRef<jobjectArray> noParameters(
        env, getConstructor ? unlessThrown(env, env->NewObjectArray(0, classClass.get(), nullptr))
                            : nullptr);
    LocalRef<jobject> constructor(
        env, noParameters ? env->CallObjectMethod(mainClass, getConstructor, noParameters.get())
                          : nullptr);
    jint constructorModifiers = 0;
    if (clearPendingException(env, false) || !constructor ||
        !callIntMethod(env, constructor.get(), "getModifiers", constructorModifiers))
        return "the class has no constructor without parameters";
    if ((constructorModifiers & kPrivateBit) != 0) return "its constructor is private";
    return nullptr;
}

}  // namespace

const char* describeMainMethod(const MainMethod& main) {
    switch (main.kind) {
        case MainMethod::kStatic:
            return main.takesArguments ? "static main(String[])" : "static main()";
        case MainMethod::kInstance:
            return main.takesArguments ? "instance main(String[])" : "instance main()";
        case MainMethod::kJavaFx:
            return "JavaFX's launcher";
        case MainMethod::kNone:
            break;
    }
    return "no main";
}

MainMethod findMainMethod(JNIEnv* env, jclass mainClass) {
    MainMethod main;
    // java hands an Application to JavaFX before it looks at main, which the
    // application may not have. Where JavaFX is no module of the boot layer java gives
    // up; the class's own main, if any, still runs here.
    if (extendsJavaFxApplication(env, mainClass)) {
        if (findJavaFxLauncher(env, main)) {
            trace::event("main", "a JavaFX application, started by JavaFX's launcher");
            return main;
        }
        trace::event("main", "a JavaFX application, but no javafx.graphics module");
    }

    const int feature = runningFeatureVersion(env);
    jobject chosen = nullptr;
    if (feature < 21 || !askRuntimeFinder(env, mainClass, chosen)) {
        // Before Java 21 (and on a runtime without the finder) java starts static
        // main(String[]) alone; the caller's lookup of it tells whether there is one.
        main.kind = MainMethod::kStatic;
        return main;
    }
    LocalRef<jobject> method(env, chosen);
    const char* why =
        method ? refusal(env, mainClass, method.get(), feature >= 25, main) : "no main method";
    if (why) {
        main = MainMethod();
        trace::event("main", "java %d would refuse it: %s", feature, why);
        return main;
    }
    trace::event("main", "%s, as java %d chooses it", describeMainMethod(main), feature);
    return main;
}

}  // namespace oru
