// VmHost: the launch's handle on the Java virtual machine and the options it starts with.
#pragma once

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
    // The options not yet passed to a virtual machine (emptied by a creation attempt).
    const VmOptionList& options() const { return options_; }

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
    void* runtimeModule_ = nullptr;
    JavaVM_* vm_ = nullptr;
    JNIEnv_* env_ = nullptr;
    bool mainThrew_ = false;
};

}  // namespace oru
