// The show's windows holding the desktop's blanking off, through a recording inhibitor: every
// window the show opens while the keep-on time lasts, none after, all let go at the end.
#include <gtest/gtest.h>

#include <QWindow>

#include "saver/KeepScreenOn.h"
#include "support/FakeTimer.h"
#include "support/RecordingWindowIdleInhibitor.h"

TEST(KeepScreenOnTest, HoldsEachWindowUntilTheTimeIsUp) {
    TRecordingWindowIdleInhibitor inhibitor;
    TFakeTimerFactory timers;
    QWindow first, second, late;
    {
        TKeepScreenOn keepOn(inhibitor, timers, 5 * 60000);
        EXPECT_EQ(timers.Last->Interval(), 300000u);
        keepOn.Add(first);
        keepOn.Add(second);  // a screen that came while playing
        EXPECT_EQ(inhibitor.Held, (std::vector<QWindow*>{&first, &second}));
        ASSERT_TRUE(timers.Last->Fire());
        EXPECT_TRUE(inhibitor.Held.empty());
        keepOn.Add(late);
        EXPECT_TRUE(inhibitor.Held.empty());
        EXPECT_FALSE(timers.Last->Fire());  // once only
    }
    EXPECT_EQ(inhibitor.Releases, 1);
}

TEST(KeepScreenOnTest, TheShowEndingFirstLetsGo) {
    TRecordingWindowIdleInhibitor inhibitor;
    TFakeTimerFactory timers;
    QWindow window;
    {
        TKeepScreenOn keepOn(inhibitor, timers, 60000);
        keepOn.Add(window);
    }
    EXPECT_TRUE(inhibitor.Held.empty());
    EXPECT_EQ(inhibitor.Releases, 1);
}
