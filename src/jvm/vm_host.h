// VmHost: the launch's handle on the Java virtual machine and the options it starts with.
#pragma once

#include <cstddef>

#include "jvm/launch_result.h"
#include "support/narrow_string.h"
#include "support/string_list.h"

// The invocation interface types of jni.h, without its macros in every includer.
struct JavaVM_;
struct JNIEnv_;

namespace oru {

using VmOptionList = StringList;

class VmHost {
public:
    VmHost() = default;
    VmHost(const VmHost&) = delete;
    VmHost& operator=(const VmHost&) = delete;
    // Releases the virtual machine and the library if that has not happened yet.
    ~VmHost();

    // Appends one option after all earlier ones; the list keeps its own copy.
    void addOption(const char* option) { options_.add(option); }
    // A function the virtual machine calls as it ends the process from System.exit (its
    // "exit" hook); null for none.
    void setExitHook(void* hook) { exitHook_ = hook; }
    // The options not yet passed to a virtual machine (emptied by a creation attempt).
    const VmOptionList& options() const { return options_; }
    VmOptionList& options() { return options_; }

    // Loads the runtime library at `libraryPath` and creates the virtual machine with
    // the collected options; the calling thread becomes its main thread. Returns 0, or
    // 1 (library not loadable), 2 (no "JNI_CreateJavaVM") or 4 (creation refused).
    LaunchResult createVm(const NarrowString& libraryPath);
    // Replaces `version` with the virtual machine's "java.vm.version"; false when there
    // is no virtual machine or the property cannot be asked for.
    bool queryVmVersion(NarrowString& version);
    // Puts the launcher's URL handler package first in "java.protocol.handler.pkgs".
    // Needs a running virtual machine.
    void registerHandlerPackage();
    // Loads the main class and runs its static main with the arguments (ANSI code page
    // text) on this thread; returns when main returns or throws: 0, 7 or 8, or 4 when
    // the argument array could not be made (main is then not called).
    LaunchResult runMain(const NarrowString& mainClass, int argc, char** argv);
    // Makes a new com.vostrand.oru.KestrunClassLoader, child of the system class loader,
    // the system class loader itself, so that what Java resolves through it (URL handler
    // packages, logging configuration, services) sees the archive. Done after creation
    // rather than with -Djava.system.class.loader, with which the runtime warns on every
    // start. False, nothing changed, when the archive's loader lacks the constructor
    // taking its parent or the runtime keeps the loader elsewhere.
    bool installLauncherSystemLoader();
    // The stack size that the virtual machine's options (-Xss, -XX:ThreadStackSize) give
    // its threads, as the runtime reports it once created; 0 for the system's default.
    size_t mainThreadStackSize() const;
    // Attaches the calling thread to the running virtual machine as a non-daemon thread
    // named `name`, which then owns env(); false when it cannot be attached.
    bool attachThread(const char* name);
    // Detaches the calling thread, which owns env() until then; env() becomes null.
    void detachThread();
    // Detaches, destroys the virtual machine (waiting for its non-daemon threads) and
    // unloads the library. Safe in every state, and more than once.
    void releaseVm();

    // The main thread's environment; null until a virtual machine runs. Owned by the VM.
    JNIEnv_* env() const { return env_; }
    bool hasVm() const { return vm_ != nullptr; }
    bool hasRuntimeLibrary() const { return runtimeModule_ != nullptr; }
    // Whether the application's main method ended by throwing.
    bool mainThrew() const { return mainThrew_; }

private:
    VmOptionList options_;
    void* exitHook_ = nullptr;
    void* runtimeModule_ = nullptr;
    JavaVM_* vm_ = nullptr;
    JNIEnv_* env_ = nullptr;
    bool mainThrew_ = false;
};

}  // namespace oru
