// The splash window as the system shows it: the picture, the window and its messages.
#pragma once

namespace oru::platform {

// A picture for the splash window; null means none.
using SplashPicture = void*;

// The executable's splash picture (bitmap resource 100), or null when it carries none.
// The caller owns it and gives it back with freeSplashPicture.
SplashPicture loadSplashPicture();
void freeSplashPicture(SplashPicture picture);

// A splash window that is up. It is opened, run and deleted on one thread, the window's
// own; the two post operations may be called from any thread and only queue a request
// for that thread.
class SplashDisplay {
public:
    virtual ~SplashDisplay() = default;
    // The window, for owning message boxes.
    virtual void* windowHandle() const = 0;
    // Handles the window's messages until the window is gone; on the window's thread.
    virtual void runUntilClosed() = 0;
    // Closes the window `milliseconds` from now, replacing any earlier such request; a
    // negative delay only cancels the earlier one.
    virtual void postAutoClose(int milliseconds) = 0;
    // Closes the window now.
    virtual void postClose() = 0;
};

// Opens the splash window on the calling thread: borderless, exactly the picture's size,
// centred on the screen, titled `title` (kept by pointer), shown and painted. Null when
// the window cannot be made, and always where the platform has no splash window. The
// picture stays the caller's and must outlive the window.
SplashDisplay* openSplashDisplay(SplashPicture picture, const char* title);

}  // namespace oru::platform
