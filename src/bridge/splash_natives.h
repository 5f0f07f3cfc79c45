// The natives of com.vostrand.oru.SplashScreen: the application's hold on the splash.
#pragma once

#include <jni.h>

namespace oru {

// nativeGetSplashScreen: a new SplashScreen object while a splash window is shown,
// else null. A local reference.
jobject currentSplashScreen(JNIEnv* env, jclass splashClass);
// nativeAutoClose: closes the splash `milliseconds` from now; nothing without one.
void autoCloseSplash(int milliseconds);
// nativeClose: closes the splash now; nothing without one.
void closeSplash();

}  // namespace oru
