// The watcher's state file and the desktop's idle delay: which show plays, and when.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <map>

#include "saver/DesktopDelay.h"
#include "saver/WatcherState.h"

namespace {

struct TCurrentCase {
    const char* Name;
    const char* Steps;  // +a: install a, *a: install a and select it, -a: uninstall a
    const char* Current;
};

class CurrentShowTest : public testing::TestWithParam<TCurrentCase> {};

TEST_P(CurrentShowTest, TheChosenOneElseTheNewest) {
    TWatcherState state;
    const std::string steps = GetParam().Steps;
    for (size_t i = 0; i + 1 < steps.size(); i += 3) {
        const std::string name(1, steps[i + 1]);
        if (steps[i] == '-') {
            state.Remove(name);
        } else {
            state.Add(name, steps[i] == '*');
        }
        // What the file keeps reads back the same.
        const TWatcherState read = TWatcherState::Parse(state.Text());
        EXPECT_EQ(read.Shows, state.Shows);
        EXPECT_EQ(read.Current(), state.Current());
    }
    EXPECT_EQ(state.Current(), GetParam().Current);
}

INSTANTIATE_TEST_SUITE_P(Steps,
                         CurrentShowTest,
                         testing::Values(TCurrentCase{"None", "", ""},
                                         TCurrentCase{"OnlyOne", "+a ", "a"},
                                         TCurrentCase{"InstalledLast", "+a +b ", "b"},
                                         TCurrentCase{"SelectedStays", "*a +b ", "a"},
                                         TCurrentCase{"SelectedLater", "+a +b *a ", "a"},
                                         TCurrentCase{"ReinstallMakesNewest", "+a +b +a ", "a"},
                                         TCurrentCase{"SelectedRemoved", "+a *b +c -b ", "c"},
                                         TCurrentCase{"NewestRemoved", "+a +b -b ", "a"},
                                         TCurrentCase{"AllRemoved", "+a *b -a -b ", ""},
                                         TCurrentCase{"RemovedAndBack", "*a -a +b +a ", "a"}),
                         [](const testing::TestParamInfo<TCurrentCase>& info) {
                             return info.param.Name;
                         });

TEST(WatcherStateTest, OptionsAndFoldersRoundTrip) {
    TWatcherState state;
    state.Add("x", true);
    state.IdleAfterSeconds = 90;
    state.KeepScreenOnMinutes = 20;
    state.Created = {"/h/.config", "/h/.config/autostart"};
    const TWatcherState read = TWatcherState::Parse(state.Text());
    EXPECT_EQ(read.IdleAfterSeconds, 90);
    EXPECT_EQ(read.KeepScreenOnMinutes, 20);
    EXPECT_EQ(read.Created, state.Created);
    // Damaged values are dropped rather than taken as zero delays.
    const TWatcherState bad = TWatcherState::Parse("show=\nidle-after=-5\nkeep-screen-on=x\n");
    EXPECT_TRUE(bad.Shows.empty());
    EXPECT_FALSE(bad.IdleAfterSeconds);
    EXPECT_EQ(bad.KeepScreenOnMinutes, 0);
}

struct TDelayCase {
    const char* Name;
    const char* Desktop;
    const char* Schema;  // the one schema that answers, or ""
    const char* Answer;
    const char* KdeFile;  // kscreenlockerrc, or ""
    const char* Shown;
    int StartSeconds;
};

class DesktopDelayTest : public testing::TestWithParam<TDelayCase> {};

TEST_P(DesktopDelayTest, HalfOfTheDesktopsOwnDelay) {
    const TDelayCase& c = GetParam();
    QTemporaryDir dir;
    TDesktopSettings desktop;
    desktop.CurrentDesktop = c.Desktop;
    desktop.ConfigHome = dir.path().toStdString();
    desktop.GSetting = [&](const std::string& schema,
                           const std::string& key) -> std::optional<std::string> {
        EXPECT_EQ(key, "idle-delay");
        if (schema == c.Schema) {
            return std::string(c.Answer);
        }
        return std::nullopt;
    };
    if (*c.KdeFile) {
        std::ofstream(desktop.ConfigHome / "kscreenlockerrc") << c.KdeFile;
    }
    EXPECT_EQ(DesktopName(desktop), c.Shown);
    EXPECT_EQ(DefaultIdleAfterSeconds(desktop), c.StartSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops,
    DesktopDelayTest,
    testing::Values(
        TDelayCase{"Gnome", "GNOME", "org.gnome.desktop.session", "uint32 600\n", "", "GNOME", 300},
        TDelayCase{"UbuntuGnome",
                   "ubuntu:GNOME",
                   "org.gnome.desktop.session",
                   "uint32 300",
                   "",
                   "GNOME",
                   150},
        TDelayCase{"GnomeShortIsAMinute",
                   "GNOME",
                   "org.gnome.desktop.session",
                   "uint32 60",
                   "",
                   "GNOME",
                   60},
        TDelayCase{"GnomeNeverIsUnknown",
                   "GNOME",
                   "org.gnome.desktop.session",
                   "uint32 0",
                   "",
                   "GNOME",
                   150},
        TDelayCase{"MateMinutes", "MATE", "org.mate.session", "10", "", "MATE", 300},
        TDelayCase{"CinnamonSeconds",
                   "X-Cinnamon",
                   "org.cinnamon.desktop.session",
                   "uint32 900",
                   "",
                   "Cinnamon",
                   450},
        TDelayCase{
            "KdeTimeout", "KDE", "", "", "[Greeter]\nTimeout=1\n[Daemon]\nTimeout=8\n", "KDE", 240},
        TDelayCase{"KdeWithoutFile", "KDE", "", "", "", "KDE", 150},
        TDelayCase{"GnomeWithoutGsettings", "GNOME", "", "", "", "GNOME", 150},
        TDelayCase{"Sway", "sway", "org.gnome.desktop.session", "uint32 900", "", "sway", 150},
        TDelayCase{"Unknown", "", "", "", "", "", 150}),
    [](const testing::TestParamInfo<TDelayCase>& info) { return info.param.Name; });

}  // namespace
