// The one message box that reports a failed launch.
#include "launcher/failure_report.h"

#include "launcher/messages.h"
#include "platform/dialog.h"
#include "splash/splash_window.h"

namespace oru {

void reportLaunchFailure(LaunchResult result, int haveMajor, int haveMinor, int needMajor,
                         int needMinor) {
    NarrowString text;
    loadMessageText(result, text);
    if (result == kVersionTooLow) {
        NarrowString format = text;
        formatMessage(text, format.c_str(), haveMajor, haveMinor, needMajor, needMinor);
    }
    NarrowString caption;
    loadMessageText(kMessageCaption, caption);
    platform::showMessageBox(SplashWindow::currentWindowHandle(), text.c_str(), caption.c_str());
    SplashWindow::autoCloseCurrent(100);
}

}  // namespace oru
