// SplashWindow: the start-up window, shown while the application starts.
#pragma once

namespace oru {

class SplashWindow {
public:
    // Shows the executable's splash bitmap, when it has one; returns once it is up.
    static void startIfPresent(const char* title);
    // Closes the window `milliseconds` from now, replacing any pending close.
    void autoClose(int milliseconds);
    bool autoCloseRequested() const { return autoCloseRequested_; }
    // The window, to own message boxes; null when it is gone.
    void* windowHandle() const { return nullptr; }

private:
    bool autoCloseRequested_ = false;
};

// The splash of this process, or null when none is shown.
extern SplashWindow* currentSplash;

}  // namespace oru
