// VmHost: the launch's handle on the Java virtual machine and the options it starts with.
#pragma once

#include "jvm/launch_result.h"
#include "support/narrow_string.h"
#include "support/string_list.h"

namespace oru {

using VmOptionList = StringList;

class VmHost {
public:
    VmHost() = default;
    VmHost(const VmHost&) = delete;
    VmHost& operator=(const VmHost&) = delete;
    ~VmHost();

    // Appends one option after all earlier ones.
    void addOption(const char* option) { options_.add(option); }
    const VmOptionList& options() const { return options_; }

    // Loads the runtime library and creates the virtual machine: 0, 1, 2 or 4.
    LaunchResult createVm(const NarrowString& libraryPath);
    // The virtual machine's "java.vm.version"; false when it cannot be read.
    bool queryVmVersion(NarrowString& version);
    // Puts the launcher's URL handler package first in "java.protocol.handler.pkgs".
    void registerHandlerPackage();
    // Loads the main class and runs its main method: 0, 7 or 8.
    LaunchResult runMain(const NarrowString& mainClass, int argc, char** argv);
    // Detaches, destroys the virtual machine (waiting for its non-daemon threads) and
    // unloads the library. Safe in every state.
    void releaseVm();

private:
    VmOptionList options_;
};

}  // namespace oru
