// The watcher's logic with a recording idle source, child process and inhibitor: what plays
// when, and for how long the desktop's lock is held off.
#include <gtest/gtest.h>

#include <cstdlib>

#include "saver/IdleWatcher.h"
#include "saver/RunQuietly.h"
#include "support/FakeTimer.h"
#include "support/RecordingChildProcess.h"
#include "support/RecordingIdleMonitor.h"
#include "support/RecordingSessionInhibitor.h"

namespace {

struct TWatchCase {
    const char* Name;
    const char* Events;  // i: idle, a: input, x: the show ends itself, t: the keep-on time is up
    bool HostRunning;
    bool Installed;
    int KeepOnMinutes;
    int Starts;
    int Stops;
    bool PlayingAtEnd;
    bool HeldAtEnd;
    int Holds;
    // Only the show's windows can hold the blanking off (a Wayland compositor without an
    // inhibitor on the session bus); then the session's inhibitor is none.
    bool ShowKeeps = false;
    const char* Started = "/s/kavro-saver --play /s/show.run";
};

class IdleWatcherTest : public testing::TestWithParam<TWatchCase> {};

// The show told to hold the blanking off itself, for the keep-on minutes.
constexpr const char* Told = "/s/kavro-saver --play /s/show.run --keep-screen-on 10";

TEST_P(IdleWatcherTest, PlaysOnIdleAndEndsOnInput) {
    const TWatchCase& c = GetParam();
    TRecordingIdleMonitor idle;
    TRecordingChildProcess show;
    TFakeTimerFactory timers;
    TRecordingSessionInhibitor inhibitor;
    const TIdleWatcher::TServices services{
        idle,
        show,
        timers,
        c.ShowKeeps ? nullptr : &inhibitor,
        [&] { return c.HostRunning; },
        [&]() -> std::optional<TShowCommand> {
            if (!c.Installed) {
                return std::nullopt;
            }
            return TShowCommand{"/s/kavro-saver", {"--play", "/s/show.run"}};
        },
        c.ShowKeeps};
    TIdleWatcher watcher(services, c.KeepOnMinutes);
    std::vector<bool> changes;
    watcher.OnPlayingChanged = [&](bool playing) { changes.push_back(playing); };
    for (const char* e = c.Events; *e; ++e) {
        switch (*e) {
            case 'i':
                idle.Idle();
                break;
            case 'a':
                idle.Active();
                if (show.Stops > 0) {
                    show.Exit();  // the stopped show ends
                }
                break;
            case 'x':
                show.Exit();
                break;
            case 't':
                ASSERT_TRUE(timers.Last->Fire());
                break;
        }
    }
    EXPECT_EQ(static_cast<int>(show.Starts.size()), c.Starts);
    for (const std::string& start : show.Starts) {
        EXPECT_EQ(start, c.Started);
    }
    EXPECT_EQ(show.Stops, c.Stops);
    EXPECT_EQ(watcher.Playing(), c.PlayingAtEnd);
    EXPECT_EQ(inhibitor.Held, c.HeldAtEnd);
    EXPECT_EQ(inhibitor.Holds, c.Holds);
    // Every start and end was told, alternating.
    for (size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i], i % 2 == 0);
    }
    // A show that held the compositor's idle time off starts the count afresh when it ends.
    const int ended = c.Starts - (c.PlayingAtEnd ? 1 : 0);
    EXPECT_EQ(idle.Rearms, c.ShowKeeps && c.KeepOnMinutes > 0 ? ended : 0);
    if (c.KeepOnMinutes > 0 && c.Holds > 0) {
        EXPECT_EQ(timers.Last->Interval(), static_cast<uint32_t>(c.KeepOnMinutes) * 60000u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Events,
    IdleWatcherTest,
    testing::Values(
        TWatchCase{"IdleStartsTheShow", "i", false, true, 0, 1, 0, true, false, 0},
        TWatchCase{"InputEndsIt", "ia", false, true, 0, 1, 1, false, false, 0},
        TWatchCase{"NextIdleBringsItBack", "iai", false, true, 0, 2, 1, true, false, 0},
        TWatchCase{"IdleWhilePlayingStartsNoSecond", "iii", false, true, 0, 1, 0, true, false, 0},
        TWatchCase{"EndedByAKeyThenIdleAgain", "ixi", false, true, 0, 2, 0, true, false, 0},
        TWatchCase{"InputWithoutShowStopsNothing", "a", false, true, 0, 0, 0, false, false, 0},
        TWatchCase{"XscreensaverHostsItself", "iai", true, true, 0, 0, 0, false, false, 0},
        TWatchCase{"NothingInstalled", "i", false, false, 0, 0, 0, false, false, 0},
        TWatchCase{"KeepOnHoldsWhilePlaying", "i", false, true, 10, 1, 0, true, true, 1},
        TWatchCase{"KeepOnEndsWithTheShow", "ia", false, true, 10, 1, 1, false, false, 1},
        TWatchCase{"KeepOnTimeUpShowGoesOn", "it", false, true, 10, 1, 0, true, false, 1},
        TWatchCase{"KeepOnAgainNextTime", "itaai", false, true, 10, 2, 1, true, true, 2},
        TWatchCase{"KeepOffHoldsNothing", "iai", false, true, 0, 2, 1, true, false, 0},
        TWatchCase{"ShowIsToldEachTime", "iai", false, true, 10, 2, 1, true, false, 0, true, Told},
        TWatchCase{
            "ShowEndedByAKeyThenIdle", "ixi", false, true, 10, 2, 0, true, false, 0, true, Told},
        TWatchCase{"ShowHoldsNothingWhenKeepOff", "i", false, true, 0, 1, 0, true, false, 0, true}),
    [](const testing::TestParamInfo<TWatchCase>& info) { return info.param.Name; });

TEST(IdleWatcherStartTest, AShowThatCannotStartIsNotPlaying) {
    TRecordingIdleMonitor idle;
    TRecordingChildProcess show;
    show.Startable = false;
    TFakeTimerFactory timers;
    TRecordingSessionInhibitor inhibitor;
    const TIdleWatcher::TServices services{
        idle, show, timers, &inhibitor, nullptr, [] {
            return std::optional<TShowCommand>(TShowCommand{"/missing", {}});
        }};
    TIdleWatcher watcher(services, 5);
    idle.Idle();
    EXPECT_EQ(show.Starts.size(), 1u);
    EXPECT_FALSE(watcher.Playing());
    EXPECT_FALSE(inhibitor.Held);
}

// Asking whether the xscreensaver daemon answers never hangs: a command that does not end in
// time is killed and counts as no answer, and without a display nothing is asked at all (the
// command would guess another session's display).
TEST(XscreensaverAsked, NoAnswerInTimeIsNoAnswer) {
    EXPECT_TRUE(RunQuietly("true", nullptr));
    EXPECT_FALSE(RunQuietly("false", nullptr));
    EXPECT_FALSE(RunQuietly("no-such-program-here", nullptr));
    EXPECT_FALSE(RunQuietly("sleep", "30", 200));
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    EXPECT_FALSE(XScreensaverAnswers());
    if (display) {
        setenv("DISPLAY", saved.c_str(), 1);
    }
}

}  // namespace
