// The show's windows holding the desktop's blanking off, through a recording inhibitor: every
// window the show opens while the keep-on time lasts, none after, all let go at the end.
#include <gtest/gtest.h>

#include <QWindow>

#include "saver/KeepScreenOn.h"
#include "support/FakeTimer.h"
#include "support/RecordingWindowIdleInhibitor.h"

TEST(KeepScreenOnTest, HoldsEachWindowUntilTheTimeIsUpOrTheShowEnds) {
    for (const bool timeUp : {true, false}) {
        SCOPED_TRACE(timeUp ? "time up first" : "show ended first");
        TRecordingWindowIdleInhibitor inhibitor;
        TFakeTimerFactory timers;
        QWindow first, second, late;
        auto keepOn = std::make_unique<TKeepScreenOn>(inhibitor, timers, 5 * 60000);
        EXPECT_EQ(timers.Last->Interval(), 300000u);
        keepOn->Add(first);
        keepOn->Add(second);  // a screen that came while playing
        EXPECT_EQ(inhibitor.Held, (std::vector<QWindow*>{&first, &second}));
        if (timeUp) {
            ASSERT_TRUE(timers.Last->Fire());
            keepOn->Add(late);
            EXPECT_TRUE(inhibitor.Held.empty());
        }
        keepOn.reset();
        EXPECT_TRUE(inhibitor.Held.empty());
    }
}
