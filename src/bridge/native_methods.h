// Binding the launcher's natives to the Java-side classes.
#pragma once

#include <jni.h>

namespace oru {

// Registers the natives of com.vostrand.oru.KestrunClassLoader, Handler and SplashScreen
// with the virtual machine, for platforms where the Java side cannot load the executable
// as its native library. A class the archive does not carry is skipped; nothing is left
// pending. Returns the number of classes bound.
int registerBridgeNatives(JNIEnv* env);

}  // namespace oru
