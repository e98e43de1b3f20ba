// The busy flag of layout objects: one user at a time, later users wait while events run.
#include "report/layout/draw_text.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

using report::TfrxDrawText;

TEST(LayoutBusy, SecondUserWaitsWhileEventsRunUntilTheFirstLetsGo)
{
    TfrxDrawText drawText;
    drawText.Lock();
    EXPECT_TRUE(drawText.IsBusy());
    EXPECT_FALSE(drawText.TryLock());

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
