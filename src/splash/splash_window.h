// SplashWindow: the start-up window's record, shared by its own thread, the launcher and
// the natives of com.vostrand.oru.SplashScreen.
#pragma once

#include <atomic>

#include "platform/splash_display.h"
#include "platform/thread.h"

namespace oru {

// At most one per process. The splash thread publishes it as the current splash when it
// starts and withdraws it, under one lock, before anything is freed; every other thread
// reaches it only through the static operations below, which take that lock, so none
// can touch a freed record. Requests reach the window by posting to its thread.
class SplashWindow {
public:
    // Opens a window for a picture on the calling thread; platform::openSplashDisplay,
    // or a stand-in in tests.
    using DisplayOpener = platform::SplashDisplay* (*)(platform::SplashPicture, const char*);

    // Shows the executable's splash picture, when it carries one, titled `title` (kept
    // by pointer); returns once the window is up or known not to be. Without a picture
    // nothing happens and there is no splash.
    static void startIfPresent(const char* title);

    // Starts the splash thread for `picture`, which belongs to the splash from now on,
    // and waits until the thread has tried to open the window (at most 30 seconds).
    // True when the window is up. Without a thread, the picture is freed at once.
    static bool start(platform::SplashPicture picture, const char* title,
                      DisplayOpener open = platform::openSplashDisplay);

    // The window of the current splash, to own message boxes; null without one.
    static void* currentWindowHandle();
    // Closes the current splash `milliseconds` from now, replacing any earlier request;
    // a negative delay only cancels one. Marks that an automatic close was asked for.
    static void autoCloseCurrent(int milliseconds);
    // The same, unless an automatic close was asked for already: the launcher's close
    // once the application's main method has returned.
    static void autoCloseCurrentUnlessRequested(int milliseconds);
    // Closes the current splash now, without marking an automatic close; posts nothing
    // when there is no splash.
    static void closeCurrent();
    // Whether an automatic close of the current splash was asked for; false without one.
    static bool currentAutoCloseRequested();

private:
    SplashWindow(platform::SplashPicture picture, const char* title, DisplayOpener open);
    ~SplashWindow();

    static void runThread(void* record);
    // First step of the splash thread: publish the record, open the window, signal the
    // ready event, lower the thread's priority. True when the window is up.
    bool createOnThread();
    void cleanUp();
    void autoClose(int milliseconds);
    // Both the starting thread and the splash thread hold the record; the last to let
    // go deletes it, so the ready event outlives the wait for it.
    void release();

    platform::Event ready_;
    platform::SplashDisplay* window_ = nullptr;
    platform::SplashPicture picture_;
    const char* title_;
    DisplayOpener open_;
    bool autoCloseRequested_ = false;  // under the splash lock
    std::atomic<int> holders_{2};
};

}  // namespace oru
