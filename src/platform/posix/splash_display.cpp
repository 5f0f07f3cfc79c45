// The splash window on Linux: there is none, since executables carry no bitmap resource.
// Only Linux code belongs in this file.
#include "platform/splash_display.h"

namespace oru::platform {

SplashPicture loadSplashPicture() { return nullptr; }

void freeSplashPicture(SplashPicture) {}

SplashDisplay* openSplashDisplay(SplashPicture, const char*) { return nullptr; }

}  // namespace oru::platform
