// The idle watcher in real sessions, as an ordinary user: installed with --install, it plays the
// show when the session has been idle for the delay, ends it at the next input, brings it back
// at the next idle time, and is gone after --uninstall.
#include <QTemporaryDir>

#include "saver/SaverFixture.h"
#include "saver/Sessions.h"

namespace {

// What differs between sessions: their environment, what shows that the show is on the
// screen, and how to make input.
struct TSession {
    QProcessEnvironment Env;
    std::function<bool()> ShowVisible;
    std::function<void()> Activity;
    // The idle source the watcher should choose there.
    QString Source;
};

class WatcherTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        User = std::make_unique<TSessionUser>(FDir.path());
        Show = QString::fromStdString(MakeShowFile(FDir.path(), "海边", {Qt::red, Qt::blue}));
    }
    TRunResult Setup(const TSession& session, const QStringList& args) {
        return RunAs(*User, session.Env, Show, args);
    }
    QString Status(const TSession& session) { return Setup(session, {"--status"}).Output; }
    bool Playing() {
        QFile status(FDir.filePath("run/kavro-watcher.status"));
        return status.open(QIODevice::ReadOnly) && status.readAll().contains("playing: yes");
    }

    // The whole life of the watcher in one session.
    void IdleShowComesAndGoes(const TSession& session, const QStringList& options = {}) {
        const auto installed =
            Setup(session, QStringList{"--install", "--idle-after", "3"} + options);
        ASSERT_EQ(installed.Code, 0) << installed.Output.toStdString();
        EXPECT_TRUE(installed.Output.contains("闲置 3 秒后开始放映"))
            << installed.Output.toStdString();
        const QString status = Status(session);
        EXPECT_TRUE(status.contains("watcher: running (" + session.Source + ")"))
            << status.toStdString();
        EXPECT_TRUE(status.contains("idle-after: 3\n")) << status.toStdString();
        EXPECT_TRUE(status.contains("playing: no")) << status.toStdString();

        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round == 0 ? "first idle period" : "next idle period");
            EXPECT_TRUE(Within(8000, [&] { return Playing() && session.ShowVisible(); }));
            EXPECT_TRUE(Status(session).contains("playing: yes"));
            session.Activity();
            EXPECT_TRUE(Within(1000, [&] { return !Playing(); }));
            EXPECT_TRUE(Within(1000, [&] { return !session.ShowVisible(); }));
        }

        const auto removed = Setup(session, {"--uninstall"});
        EXPECT_EQ(removed.Code, 0) << removed.Output.toStdString();
        EXPECT_TRUE(Status(session).contains("watcher: not running"));
        // Nothing comes any more, however long the user stays away.
        EXPECT_FALSE(Within(4500, [&] { return session.ShowVisible(); }));
        // The autostart entry and its folder are gone (a compositor may keep its own settings).
        EXPECT_FALSE(QDir(User->Home() + "/.config/autostart").exists());
    }

    QTemporaryDir FDir;
    std::unique_ptr<TSessionUser> User;
    QString Show;
};

// Keeping the screen on for 1 minute or 0: sway offers no inhibitor on the session bus, so the
// show's own windows hold its idle time off.
class SwayKeepOnTest : public WatcherTest, public testing::WithParamInterface<int> {};

}  // namespace

TEST_P(SwayKeepOnTest, TheShowHoldsSwaysIdleOff) {
    const int keepOn = GetParam();
    TSway sway(*User);
    if (!sway.Running || !HasProgram("swayidle") || !HasProgram("wtype")) {
        GTEST_SKIP() << "needs headless sway, swayidle and wtype";
    }
    const QStringList install = {"--install", "--idle-after", "2", "--keep-screen-on"};
    ASSERT_EQ(Setup({sway.Env(), {}, {}}, install + QStringList{QString::number(keepOn)}).Code, 0);
    ASSERT_TRUE(Within(8000, [&] { return Playing() && sway.FullScreenOutputs().size() == 2; }));
    const auto inhibiting = [&] {
        return sway.ViewOutputs([](const QJsonObject& view) {
            return view["idle_inhibitors"]["application"] == "enabled";
        });
    };
    EXPECT_EQ(Within(2000, [&] { return inhibiting().size() == 2; }), keepOn > 0)
        << inhibiting().join(",").toStdString();
    // Another client waiting for a second of idle time: held off too, or not.
    const QString idled = User->Home() + "/idled";
    auto waiter = StartAs(*User, sway.Env(), "swayidle", {"timeout", "1", "touch " + idled});
    EXPECT_EQ(Within(3000, [&] { return QFile::exists(idled); }), keepOn == 0);
    EXPECT_TRUE(Playing());
    // A key still ends the show (the keyboard is given a moment to reach its window first).
    RunAs(*User, sway.Env(), "wtype", {"-s", "500", "a"});
    EXPECT_TRUE(Within(3000, [&] { return !Playing() && sway.FullScreenOutputs().isEmpty(); }));
    EXPECT_TRUE(Within(8000, [&] { return Playing(); })) << "next idle";
    waiter->terminate();
    waiter->waitForFinished(2000);
}

INSTANTIATE_TEST_SUITE_P(Minutes, SwayKeepOnTest, testing::Values(1, 0));

TEST_F(WatcherTest, SwayIdleProtocol) {
    TSway sway(*User);
    if (!sway.Running) {
        GTEST_SKIP() << "headless sway cannot start here (is the package sway installed?)";
    }
    TSession session{sway.Env(),
                     [&] { return sway.FullScreenOutputs().size() == 2; },
                     [&] {
                         sway.Msg({"seat", "seat0", "cursor", "move", "5", "5"});
                     },
                     "org_kde_kwin_idle"};
    IdleShowComesAndGoes(session);
}

TEST_F(WatcherTest, PlainXServer) {
    TXServer x;
    if (x.Display.isEmpty() || !HasProgram("xdotool")) {
        GTEST_SKIP() << "needs Xvfb and xdotool";
    }
    QProcessEnvironment env = User->Env();
    env.insert("DISPLAY", x.Display);
    TXWindow probe(x.Display, 1, 1);
    TSession session{env,
                     [&] {
                         const uint32_t centre = probe.Pixel(320, 240);
                         return centre == 0xFF0000 || centre == 0x0000FF;
                     },
                     [&] {
                         RunProgram("xdotool", {"mousemove_relative", "1", "1"}, x.Env());
                     },
                     "IDLETIME"};
    IdleShowComesAndGoes(session);
}

TEST_F(WatcherTest, GnomeIdleMonitor) {
    TMutter mutter(*User);
    if (!mutter.Running) {
        GTEST_SKIP() << "headless mutter cannot start here (are mutter and dbus installed?)";
    }
    // Without a session manager the show's windows are to keep the screen on, and mutter lacks
    // the protocol for it: the show, told to, plays as without.
    const QRegularExpression play("kavro-saver --play " + QRegularExpression::escape(User->Home()) +
                                  "\\S*/show.run --keep-screen-on 1");
    TSession session{mutter.Env(),
                     [&] { return ProcessRuns(play); },
                     [&] { mutter.ResetIdletime(); },
                     "org.gnome.Mutter.IdleMonitor"};
    IdleShowComesAndGoes(session, {"--keep-screen-on", "1"});
}

TEST_F(WatcherTest, KdeIdleNotifier) {
    TKWin kwin(*User);
    if (!kwin.Running) {
        GTEST_SKIP() << "headless KWin cannot start here (is the package kwin-wayland installed?)";
    }
    TSession session{kwin.Env(),
                     [&] { return kwin.SaverFullScreen(); },
                     [&] { kwin.Activity(); },
                     "ext_idle_notifier_v1"};
    EXPECT_TRUE(Status(session).contains("desktop: KDE")) << Status(session).toStdString();
    IdleShowComesAndGoes(session);
}

// Cinnamon's window manager offers mutter's idle monitor under its own name: a stand-in for it
// on a private bus, the show on a plain X server.
TEST_F(WatcherTest, CinnamonIdleMonitor) {
    TXServer x;
    if (x.Display.isEmpty()) {
        GTEST_SKIP() << "needs Xvfb";
    }
    QProcessEnvironment display = User->Env();
    display.insert("DISPLAY", x.Display);
    TFakeMuffin muffin(*User, display);
    if (!muffin.Running) {
        GTEST_SKIP() << "the stand-in needs dbus and Python's gi (package python3-gi)";
    }
    TXWindow probe(x.Display, 1, 1);
    TSession session{muffin.Env(),
                     [&] {
                         const uint32_t centre = probe.Pixel(320, 240);
                         return centre == 0xFF0000 || centre == 0x0000FF;
                     },
                     [&] { muffin.ResetIdletime(); },
                     "org.cinnamon.Muffin.IdleMonitor"};
    EXPECT_TRUE(Status(session).contains("desktop: Cinnamon")) << Status(session).toStdString();
    IdleShowComesAndGoes(session);
}
