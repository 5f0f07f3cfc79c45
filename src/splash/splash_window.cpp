// SplashWindow: the splash thread's life and the rules for requests from other threads.
#include "splash/splash_window.h"

#include <new>

#include "platform/lock.h"

namespace oru {

namespace {

constexpr int kReadyWaitMilliseconds = 30000;

// Never destroyed: the splash thread may still take it while the process exits.
union LockStorage {
    LockStorage() : lock() {}
    ~LockStorage() {}
    platform::Lock lock;
};
LockStorage lockStorage;

// Guards currentSplash and every use of the record by a thread other than its own.
platform::Lock& splashLock = lockStorage.lock;
SplashWindow* currentSplash = nullptr;

}  // namespace

SplashWindow::SplashWindow(platform::SplashPicture picture, const char* title, DisplayOpener open)
    : picture_(picture), title_(title), open_(open) {}

SplashWindow::~SplashWindow() { platform::freeSplashPicture(picture_); }

void SplashWindow::startIfPresent(const char* title) {
    if (platform::SplashPicture picture = platform::loadSplashPicture()) start(picture, title);
}

bool SplashWindow::start(platform::SplashPicture picture, const char* title, DisplayOpener open) {
    SplashWindow* splash = new (std::nothrow) SplashWindow(picture, title, open);
    if (!splash) {
        platform::freeSplashPicture(picture);
        return false;
    }
    if (!splash->ready_.valid() || !platform::startThread(runThread, splash)) {
        delete splash;
        return false;
    }
    const bool signalled = splash->ready_.wait(kReadyWaitMilliseconds);
    splash->release();
    return signalled && currentWindowHandle() != nullptr;
}

void SplashWindow::runThread(void* record) {
    SplashWindow* splash = static_cast<SplashWindow*>(record);
    if (splash->createOnThread()) splash->window_->runUntilClosed();
    splash->cleanUp();
}

bool SplashWindow::createOnThread() {
    {
        platform::LockGuard guard(splashLock);
        currentSplash = this;
    }
    platform::SplashDisplay* window = open_(picture_, title_);
    {
        platform::LockGuard guard(splashLock);
        window_ = window;
    }
    ready_.set();
    platform::lowerThreadPriority();
    return window != nullptr;
}

// Withdraws the record first, so no other thread reaches it while it is taken apart.
void SplashWindow::cleanUp() {
    {
        platform::LockGuard guard(splashLock);
        if (currentSplash == this) currentSplash = nullptr;
    }
    platform::yieldThread();
    delete window_;
    window_ = nullptr;
    release();
}

void SplashWindow::release() {
    if (holders_.fetch_sub(1) == 1) delete this;
}

void SplashWindow::autoClose(int milliseconds) {
    if (!window_) return;
    autoCloseRequested_ = true;
    window_->postAutoClose(milliseconds);
}

void* SplashWindow::currentWindowHandle() {
    platform::LockGuard guard(splashLock);
    return currentSplash && currentSplash->window_ ? currentSplash->window_->windowHandle()
                                                   : nullptr;
}

void SplashWindow::autoCloseCurrent(int milliseconds) {
    platform::LockGuard guard(splashLock);
    if (currentSplash) currentSplash->autoClose(milliseconds);
}

void SplashWindow::autoCloseCurrentUnlessRequested(int milliseconds) {
    platform::LockGuard guard(splashLock);
    if (currentSplash && !currentSplash->autoCloseRequested_)
        currentSplash->autoClose(milliseconds);
}

void SplashWindow::closeCurrent() {
    platform::LockGuard guard(splashLock);
    if (currentSplash && currentSplash->window_) currentSplash->window_->postClose();
}

bool SplashWindow::currentAutoCloseRequested() {
    platform::LockGuard guard(splashLock);
    return currentSplash && currentSplash->autoCloseRequested_;
}

}  // namespace oru
