// The one virtual machine a JNI test process may create, shared by every JNI test.
#pragma once

#include <jni.h>

#include "jvm/vm_host.h"

namespace oru::testing {

// The host of the running machine (the JDK of the build, a small heap, the Java test
// programs on the class path) and its main thread's environment.
VmHost& testVmHost();
JNIEnv* testVmEnv();

}  // namespace oru::testing
