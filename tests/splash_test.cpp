// The splash's rules without a window: requests from other threads, the launcher's
// close after main, and what happens once the splash is gone.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "splash/splash_window.h"

namespace oru {
namespace {

// What the stand-in window was asked to do; it stays up until the test finishes it.
struct ScreenLog {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> autoCloses;
    int closes = 0;
    bool finish = false;
    bool gone = false;
    bool failToOpen = false;
};
ScreenLog* screen = nullptr;

class StandInDisplay : public platform::SplashDisplay {
public:
    ~StandInDisplay() override {
        std::lock_guard<std::mutex> lock(screen->mutex);
        screen->gone = true;
        screen->changed.notify_all();
    }
    void* windowHandle() const override { return const_cast<StandInDisplay*>(this); }
    void runUntilClosed() override {
        std::unique_lock<std::mutex> lock(screen->mutex);
        screen->changed.wait(lock, [] { return screen->finish; });
    }
    void postAutoClose(int milliseconds) override {
        std::lock_guard<std::mutex> lock(screen->mutex);
        screen->autoCloses.push_back(milliseconds);
    }
    void postClose() override {
        std::lock_guard<std::mutex> lock(screen->mutex);
        ++screen->closes;
    }
};

platform::SplashDisplay* openStandIn(platform::SplashPicture, const char*) {
    return screen->failToOpen ? nullptr : new StandInDisplay;
}

// One splash with the stand-in window, finished at the latest when the run ends.
class SplashRun {
public:
    SplashRun() { screen = &log; }
    ~SplashRun() {
        if (started_) finish();
        screen = nullptr;
    }
    bool start() {
        const bool up = SplashWindow::start(nullptr, "Please wait ...", openStandIn);
        started_ = up;
        return up;
    }
    // Lets the window's loop end and waits until the splash thread has let go of it.
    void finish() {
        std::unique_lock<std::mutex> lock(log.mutex);
        log.finish = true;
        log.changed.notify_all();
        log.changed.wait(lock, [this] { return log.gone; });
        started_ = false;
    }
    ScreenLog log;

private:
    bool started_ = false;
};

enum class Call { kAutoClose, kAutoCloseUnlessRequested, kClose };

TEST(SplashTest, RequestsReachTheWindowAndMarkAnAutomaticClose) {
    const struct {
        const char* name;
        std::vector<std::pair<Call, int>> calls;
        std::vector<int> autoCloses;  // as posted, each replacing the one before
        int closes;
        bool requested;
    } cases[] = {
        {"none", {}, {}, 0, false},
        {"later request replaces",
         {{Call::kAutoClose, 500}, {Call::kAutoClose, 100}},
         {500, 100},
         0,
         true},
        {"negative cancels", {{Call::kAutoClose, 500}, {Call::kAutoClose, -1}}, {500, -1}, 0, true},
        {"launcher's close", {{Call::kAutoCloseUnlessRequested, 750}}, {750}, 0, true},
        {"asked for: no launcher's close",
         {{Call::kAutoClose, -1}, {Call::kAutoCloseUnlessRequested, 750}},
         {-1},
         0,
         true},
        {"close marks nothing", {{Call::kClose, 0}}, {}, 1, false},
        {"close, then the launcher's close",
         {{Call::kClose, 0}, {Call::kAutoCloseUnlessRequested, 750}},
         {750},
         1,
         true},
        {"failure message after main",
         {{Call::kAutoCloseUnlessRequested, 750}, {Call::kAutoClose, 100}},
         {750, 100},
         0,
         true},
    };
    for (const auto& c : cases) {
        SplashRun run;
        ASSERT_TRUE(run.start()) << c.name;
        EXPECT_NE(SplashWindow::currentWindowHandle(), nullptr) << c.name;
        for (const auto& [call, milliseconds] : c.calls) {
            if (call == Call::kAutoClose) SplashWindow::autoCloseCurrent(milliseconds);
            if (call == Call::kAutoCloseUnlessRequested)
                SplashWindow::autoCloseCurrentUnlessRequested(milliseconds);
            if (call == Call::kClose) SplashWindow::closeCurrent();
        }
        EXPECT_EQ(run.log.autoCloses, c.autoCloses) << c.name;
        EXPECT_EQ(run.log.closes, c.closes) << c.name;
        EXPECT_EQ(SplashWindow::currentAutoCloseRequested(), c.requested) << c.name;
    }
}

TEST(SplashTest, NothingHappensOnceTheSplashIsGone) {
    SplashRun run;
    ASSERT_TRUE(run.start());
    run.finish();
    EXPECT_EQ(SplashWindow::currentWindowHandle(), nullptr);
    SplashWindow::autoCloseCurrent(100);
    SplashWindow::autoCloseCurrentUnlessRequested(750);
    SplashWindow::closeCurrent();
    EXPECT_FALSE(SplashWindow::currentAutoCloseRequested());
    EXPECT_TRUE(run.log.autoCloses.empty());
    EXPECT_EQ(run.log.closes, 0);
}

TEST(SplashTest, AWindowThatCannotOpenLeavesNoSplash) {
    SplashRun run;
    run.log.failToOpen = true;
    EXPECT_FALSE(run.start());
    EXPECT_EQ(SplashWindow::currentWindowHandle(), nullptr);
    SplashWindow::closeCurrent();
    SplashWindow::autoCloseCurrent(0);
    EXPECT_TRUE(run.log.autoCloses.empty());
    EXPECT_EQ(run.log.closes, 0);
}

// Threads keep asking while the splash ends under them: none may reach a freed record
// (the sanitizer build checks this).
TEST(SplashTest, RequestsFromManyThreadsWhileTheSplashEnds) {
    SplashRun run;
    ASSERT_TRUE(run.start());
    std::vector<std::thread> askers;
    for (int t = 0; t < 8; ++t) {
        askers.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                SplashWindow::autoCloseCurrent(i);
                SplashWindow::closeCurrent();
                (void)SplashWindow::currentWindowHandle();
            }
        });
    }
    run.finish();
    for (std::thread& asker : askers) asker.join();
    EXPECT_EQ(SplashWindow::currentWindowHandle(), nullptr);
}

}  // namespace
}  // namespace oru
