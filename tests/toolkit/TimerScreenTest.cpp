#include <gtest/gtest.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "toolkit/QtScreen.h"
#include "toolkit/QtTimer.h"

namespace {

// Runs the event loop until quit() or until the guard of several seconds ends it.
void RunLoop(QEventLoop& loop, int guardMs) {
    QTimer::singleShot(guardMs, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

TEST(QtTimer, StartsEnabledAtOneSecond) {
    TQtTimerFactory factory;
    auto timer = factory.CreateTimer();
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 1000u);
    timer->SetInterval(0);
    timer->SetEnabled(false);
    EXPECT_EQ(timer->Interval(), 0u);
    EXPECT_FALSE(timer->Enabled());
}

TEST(QtTimer, FiresWhileEnabledWithAnInterval) {
    TQtTimer timer;
    QEventLoop loop;
    int ticks = 0;
    timer.OnTimer = [&] {
        ++ticks;
        timer.SetEnabled(false);
        loop.quit();
    };
    timer.SetInterval(1);
    RunLoop(loop, 10000);
    EXPECT_EQ(ticks, 1);
}

TEST(QtTimer, DisabledOrZeroIntervalNeverFires) {
    TQtTimer disabled, zero, late;
    int ticks = 0;
    disabled.OnTimer = zero.OnTimer = [&] { ++ticks; };
    disabled.SetInterval(1);
    disabled.SetEnabled(false);
    zero.SetInterval(0);
    zero.SetEnabled(true);
    // This one's tick ends the wait: by then the others have had many chances.
    QEventLoop loop;
    int lateTicks = 0;
    late.OnTimer = [&] {
        if (++lateTicks == 20) {
            late.SetEnabled(false);
            loop.quit();
        }
    };
    late.SetInterval(1);
    RunLoop(loop, 10000);
    EXPECT_EQ(lateTicks, 20);
    EXPECT_EQ(ticks, 0);
}

TEST(QtScreen, GivesThePrimaryScreenInDevicePixels) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    TQtScreen s;
    EXPECT_EQ(s.Width(), qRound(screen->size().width() * screen->devicePixelRatio()));
    EXPECT_EQ(s.Height(), qRound(screen->size().height() * screen->devicePixelRatio()));
    EXPECT_GT(s.Width(), 0);
    // The place a full-screen window goes to is in logical pixels.
    const QRect place = screen->geometry();
    EXPECT_EQ(
        s.Geometry(),
        Rect(
            place.left(), place.top(), place.left() + place.width(), place.top() + place.height()));
}
