// The shared virtual machine of the JNI tests, created before the first test runs.
#include "jni_test_vm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace oru::testing {

namespace {

// A process can create one virtual machine only: every test shares it.
class VmEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        std::string library =
            std::filesystem::weakly_canonical(ORU_TEST_JDK_HOME).string() + "/" ORU_TEST_JVM;
        host.addOption("-Xmx32m");
        host.addOption("-Djava.class.path=" ORU_TEST_PROGRAMS_JAR);
        std::istringstream options(ORU_TEST_VM_OPTIONS);
        for (std::string option; options >> option;) host.addOption(option.c_str());
        ASSERT_EQ(host.createVm(NarrowString(library.c_str())), 0) << library;
    }
    void TearDown() override { host.releaseVm(); }

    VmHost host;
};

VmEnvironment* const vm =
    static_cast<VmEnvironment*>(::testing::AddGlobalTestEnvironment(new VmEnvironment));

}  // namespace

VmHost& testVmHost() { return vm->host; }
JNIEnv* testVmEnv() { return vm->host.env(); }

}  // namespace oru::testing
