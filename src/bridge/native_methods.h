// Binding the launcher's natives to the Java-side classes.
#pragma once

#include <jni.h>

namespace oru {

// Registers the natives of com.vostrand.oru.KestrunClassLoader, Handler and SplashScreen
// with the virtual machine, so that they are bound whether or not the runtime lets the
// Java side load the executable as its native library (glibc refuses an executable; a
// runtime that denies native access refuses the load itself). A class the archive does
// not carry is skipped; nothing is left pending. Returns the number of classes bound.
int registerBridgeNatives(JNIEnv* env);

}  // namespace oru
