// The busy flag of layout objects: one user at a time, later users wait while events run.
#include "report/layout/draw_text.h"

#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>

namespace {

using report::TfrxDrawText;

// Fails the test program when the guarded scope has not ended by the deadline. A wait for the
// busy flag runs on the test's own thread, so when it never lets the releasing event run it
// would hang the run instead of failing: a second thread ends it with the reason. The deadline
// only tells a hang from a wait, it measures no speed.
class HangGuard {
public:
    HangGuard(std::chrono::seconds deadline, std::string reason)
        : watcher_([this, deadline, reason = std::move(reason)] {
              std::unique_lock lock(mutex_);
              if (!ended_.wait_for(lock, deadline, [this] { return done_; })) {
                  ADD_FAILURE() << reason;
                  std::fflush(stdout);
                  std::_Exit(EXIT_FAILURE);
              }
          })
    {
    }
    ~HangGuard()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_one();
        watcher_.join();
    }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread watcher_; // last: starts once the members it waits on exist
};

TEST(LayoutBusy, SecondUserWaitsWhileEventsRunUntilTheFirstLetsGo)
{
    TfrxDrawText drawText;
    drawText.Lock();
    EXPECT_TRUE(drawText.IsBusy());
    EXPECT_FALSE(drawText.TryLock());

    const HangGuard guard(std::chrono::seconds(30),
                          "Lock() on a busy layout object did not return within 30 s: it does not let the "
                          "event run in which the first user lets go, or that release does not end its wait");
    // The first user finishes in an event handler; the second must let that event run.
    bool released = false;
    QTimer::singleShot(20, [&] {
        released = true;
        drawText.Unlock();
    });
    drawText.Lock();
    EXPECT_TRUE(released);
    EXPECT_TRUE(drawText.IsBusy());
    drawText.Unlock();
    EXPECT_FALSE(drawText.IsBusy());

    {
        report::TfrxDrawTextLock hold(drawText);
        EXPECT_TRUE(drawText.IsBusy());
    }
    EXPECT_TRUE(drawText.TryLock());
    drawText.Unlock();
}

TEST(LayoutBusy, EachReportAndTheGlobalObjectHaveTheirOwnFlag)
{
    TfrxDrawText forReport;
    report::TfrxDrawTextLock hold(forReport);
    EXPECT_FALSE(TfrxDrawText::global().IsBusy());
    EXPECT_EQ(&TfrxDrawText::global(), &TfrxDrawText::global());
    ASSERT_TRUE(TfrxDrawText::global().TryLock());
    TfrxDrawText::global().Unlock();
}

} // namespace
