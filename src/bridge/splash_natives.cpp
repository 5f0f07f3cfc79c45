// The splash control's natives: each acts only while a splash window is shown.
#include "bridge/splash_natives.h"

#include "jvm/jni_support.h"
#include "splash/splash_window.h"

namespace oru {

jobject currentSplashScreen(JNIEnv* env, jclass splashClass) {
    if (!SplashWindow::currentWindowHandle()) return nullptr;
    jmethodID constructor = env->GetMethodID(splashClass, "<init>", "()V");
    jobject splash = constructor ? env->NewObject(splashClass, constructor) : nullptr;
    if (env->ExceptionCheck() || !splash) {
        clearPendingException(env, true);
        return nullptr;
    }
    return splash;
}

void autoCloseSplash(int milliseconds) { SplashWindow::autoCloseCurrent(milliseconds); }

void closeSplash() { SplashWindow::closeCurrent(); }

}  // namespace oru
