// SplashWindow: executables without a splash bitmap show none.
#include "splash/splash_window.h"

namespace oru {

SplashWindow* currentSplash = nullptr;

void SplashWindow::startIfPresent(const char*) {}

void SplashWindow::autoClose(int) { autoCloseRequested_ = true; }

}  // namespace oru
