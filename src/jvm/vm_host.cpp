// VmHost: loading the runtime library, creating, querying and releasing the virtual machine.
#include "jvm/vm_host.h"

#include <vector>

#include "jvm/jni_support.h"
#include "platform/library.h"
#include "platform/path_style.h"
#include "platform/trace.h"
#include "support/wide_string.h"

namespace oru {

namespace {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

// The parent of the library's directory: the path up to its last separator, then "..".
NarrowString parentOfLibraryDirectory(const NarrowString& libraryPath) {
    int cut = libraryPath.length();
    while (cut > 0 && !platform::isDirectorySeparator(libraryPath.byteAt(cut - 1))) --cut;
    return libraryPath.left(cut) + "..";
}

// Loads the runtime library, tracing the outcome in the loader's own words.
void* loadRuntime(const NarrowString& libraryPath) {
    if (libraryPath.empty()) {
        trace::event("vm", "no runtime library to load");
        return nullptr;
    }
    void* module = platform::loadLibrary(libraryPath.c_str());
    if (module)
        trace::event("vm", "loaded %s", libraryPath.c_str());
    else
        trace::event("vm", "cannot load \"%s\": %s", libraryPath.c_str(),
                     platform::lastLoadError().c_str());
    return module;
}

}  // namespace

VmHost::~VmHost() {
    releaseVm();
    options_.clear();
}

LaunchResult VmHost::createVm(const NarrowString& libraryPath) {
    platform::suppressLoadErrorDialogs();
    runtimeModule_ = loadRuntime(libraryPath);
    if (!runtimeModule_) {
        // The runtime's own libraries may sit one level up (bin\ beside bin\client\).
        // Without a path (nothing was discovered) there is no directory to add.
        if (!libraryPath.empty() &&
            platform::widenLibrarySearch(parentOfLibraryDirectory(libraryPath).c_str()))
            runtimeModule_ = loadRuntime(libraryPath);
        if (!runtimeModule_) return kRuntimeNotLoadable;
    }
    auto create =
        reinterpret_cast<CreateJavaVm>(platform::librarySymbol(runtimeModule_, "JNI_CreateJavaVM"));
    if (!create) {
        trace::event("vm", "%s has no JNI_CreateJavaVM", libraryPath.c_str());
        return kRuntimeWithoutEntry;
    }

    // One more for the exit hook, if any.
    std::vector<JavaVMOption> vmOptions(static_cast<size_t>(options_.count()) + 1);
    for (int i = 0; i < options_.count(); ++i) {
        vmOptions[static_cast<size_t>(i)].optionString = const_cast<char*>(options_.at(i));
        vmOptions[static_cast<size_t>(i)].extraInfo = nullptr;
        trace::event("vm", "option %s", options_.at(i));
    }
    vmOptions.back() = JavaVMOption{const_cast<char*>("exit"), exitHook_};
    JavaVMInitArgs initArgs;
    initArgs.version = JNI_VERSION_1_2;
    initArgs.nOptions = options_.count() + (exitHook_ ? 1 : 0);
    initArgs.options = vmOptions.data();
    initArgs.ignoreUnrecognized = JNI_TRUE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    jint created = create(&vm, reinterpret_cast<void**>(&env), &initArgs);
    trace::event("vm", "JNI_CreateJavaVM returned %d", static_cast<int>(created));
    options_.clear();
    if (created != JNI_OK) {
        vm_ = nullptr;
        env_ = nullptr;
        return kVmCreationFailed;
    }
    vm_ = vm;
    env_ = env;
    return kLaunchSucceeded;
}

bool VmHost::queryVmVersion(NarrowString& version) {
    if (!env_ || !readSystemProperty(env_, "java.vm.version", version)) return false;
    trace::event("vm", "java.vm.version %s", version.c_str());
    return true;
}

void VmHost::registerHandlerPackage() {
    JNIEnv* env = env_;
    if (!env) return;
    // The calls below cannot fail on a running machine short of memory exhaustion;
    // each result is still tested so that such a failure ends here instead of crashing.
    LocalRef<jclass> system(env, env->FindClass("java/lang/System"));
    if (!system) {
        clearPendingException(env, true);
        return;
    }
    static const char16_t keyText[] = u"java.protocol.handler.pkgs";
    LocalRef<jstring> key(env, env->NewString(reinterpret_cast<const jchar*>(keyText),
                                              static_cast<jsize>(sizeof keyText / 2 - 1)));
    jmethodID getProperty = env->GetStaticMethodID(system.get(), "getProperty",
                                                   "(Ljava/lang/String;)Ljava/lang/String;");
    jmethodID setProperty = env->GetStaticMethodID(
        system.get(), "setProperty", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
    if (!key || !getProperty || !setProperty) {
        clearPendingException(env, true);
        return;
    }

    WideString packages(u"com.vostrand");
    LocalRef<jstring> old(env, unlessThrown(env, static_cast<jstring>(env->CallStaticObjectMethod(
                                                     system.get(), getProperty, key.get()))));
    if (old && env->GetStringLength(old.get()) > 0) {
        const jchar* chars = env->GetStringChars(old.get(), nullptr);
        if (chars) {
            packages.append(u"|", 1);
            packages.append(reinterpret_cast<const char16_t*>(chars),
                            env->GetStringLength(old.get()));
            env->ReleaseStringChars(old.get(), chars);
        }
    }
    LocalRef<jstring> value(
        env, env->NewString(reinterpret_cast<const jchar*>(packages.c_str()), packages.length()));
    if (value) {
        LocalRef<jobject> previous(
            env, env->CallStaticObjectMethod(system.get(), setProperty, key.get(), value.get()));
    }
    clearPendingException(env, true);
}

size_t VmHost::mainThreadStackSize() const {
    // JNI 1.1's argument block, which the runtime still fills with its thread stack size
    // (the launchers of the JDK ask it this way).
    struct Jdk11InitArgs {
        jint version;
        char** properties;
        jint checkSource, nativeStackSize, javaStackSize, minHeapSize, maxHeapSize, verifyMode;
        char* classpath;
        void* hooks[3];
        jint enableClassGC, enableVerboseGC, disableAsyncGC, verbose;
        jboolean debugging;
        jint debugPort;
    } arguments{};
    using GetDefaultArgs = jint(JNICALL*)(void*);
    auto getDefaults = runtimeModule_ ? reinterpret_cast<GetDefaultArgs>(platform::librarySymbol(
                                            runtimeModule_, "JNI_GetDefaultJavaVMInitArgs"))
                                      : nullptr;
    arguments.version = JNI_VERSION_1_1;
    if (!getDefaults) return 0;
    getDefaults(&arguments);
    return arguments.javaStackSize > 0 ? static_cast<size_t>(arguments.javaStackSize) : 0;
}

bool VmHost::attachThread(const char* name) {
    if (!vm_) return false;
    JavaVMAttachArgs arguments{JNI_VERSION_1_2, const_cast<char*>(name), nullptr};
    JNIEnv* env = nullptr;
    if (vm_->AttachCurrentThread(reinterpret_cast<void**>(&env), &arguments) != JNI_OK)
        return false;
    env_ = env;
    return true;
}

void VmHost::detachThread() {
    if (vm_) vm_->DetachCurrentThread();
    env_ = nullptr;
}

void VmHost::releaseVm() {
    if (vm_) {
        vm_->DetachCurrentThread();
        vm_->DestroyJavaVM();
        vm_ = nullptr;
        env_ = nullptr;
    }
    if (runtimeModule_) {
        platform::unloadLibrary(runtimeModule_);
        runtimeModule_ = nullptr;
    }
}

}  // namespace oru
