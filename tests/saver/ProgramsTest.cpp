// The three programs of an installer file, run for real: the file started as a program, the
// saver in a window of another X client, and their answers to bad input.
#include <signal.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "saver/SaverArgs.h"
#include "saver/SaverFixture.h"
#include "saver/Sessions.h"
#include "saver/XScreensaverConfig.h"
#include "support/SoundFiles.h"

namespace {

class ProgramsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        Show = QString::fromStdString(MakeShowFile(FDir.path(), "海边", {Qt::red, Qt::blue}));
    }
    QTemporaryDir FDir;
    QString Show;
    const QString Saver = KAVRO_BUILD_DIR "/ss.dat";
};

}  // namespace

TEST_F(ProgramsTest, AnswersHelpBadUsageAndDamagedFiles) {
    EXPECT_EQ(RunProgram(Show, {"--help"}).Code, 0);
    EXPECT_EQ(RunProgram(Saver, {"--help"}).Code, 0);
    const auto badSetup = RunProgram(Show, {"--frobnicate"});
    EXPECT_EQ(badSetup.Code, 2);
    EXPECT_TRUE(badSetup.Output.contains("--frobnicate"));
    EXPECT_EQ(RunProgram(Saver, {"--window-id"}).Code, 2);
    EXPECT_EQ(RunProgram(Saver, {"--bogus"}).Code, 2);

    // The file cut short: the first stage refuses it; the saver gives the reader's message.
    QFile::copy(Show, FDir.filePath("cut.run"));
    QFile cut(FDir.filePath("cut.run"));
    cut.resize(cut.size() - 7);
    cut.setPermissions(cut.permissions() | QFile::ExeOwner);
    const auto started = RunProgram(cut.fileName(), {"--install"});
    EXPECT_EQ(started.Code, 1);
    EXPECT_TRUE(started.Output.contains("不是 Kavro 屏保文件或已损坏"))
        << started.Output.toStdString();
    const auto played = RunProgram(Saver, {"--play", FDir.filePath("p0.bmp")});
    EXPECT_EQ(played.Code, 1);
    EXPECT_TRUE(played.Output.contains("不是 Kavro 屏保文件或已损坏"))
        << played.Output.toStdString();
}

// Each number of the trailer made wrong as one damaged byte or a cut would: the first stage
// refuses the file with the reader's message and runs none of it.
TEST_F(ProgramsTest, FirstStageChecksTheWholeLayoutFirst) {
    QFile show(Show);
    ASSERT_TRUE(show.open(QIODevice::ReadOnly));
    const QByteArray good = show.readAll();
    const qsizetype trailer = good.size() - 165;
    auto field = [&](int k) {
        int32_t value;
        std::memcpy(&value, good.constData() + trailer + 100 + 4 * k, 4);
        return value;
    };
    const QString damaged = FDir.filePath("damaged.run");
    const QString head = "“" + damaged + "” 不是 Kavro 屏保文件或已损坏\n";
    int cases = 0;
    // SsOffset, SsSize, UiOffset, UiSize, SettingsOffset, .., SoundSize; the even ones are
    // offsets, each also pointed at the other pieces.
    for (int k = 0; k < 10; ++k) {
        const int32_t value = field(k);
        std::vector<int32_t> wrong = {-1, 0, value - 1, value - 4096};
        for (int other = 0; other < 10; other += 2) {
            wrong.push_back(field(other));
        }
        for (const int32_t bad : wrong) {
            if (bad == value) {
                continue;
            }
            QByteArray bytes = good;
            std::memcpy(bytes.data() + trailer + 100 + 4 * k, &bad, 4);
            QFile out(damaged);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
            out.close();
            out.setPermissions(out.permissions() | QFile::ExeOwner);
            // --help would have any program of the file answer 0 with its usage.
            const auto run = RunProgram(damaged, {"--help"});
            EXPECT_EQ(run.Code, 1) << "field " << k << " = " << bad;
            EXPECT_TRUE(run.Output.startsWith(head) && run.Output.count('\n') == 2 &&
                        run.Output.size() > head.size() + 1)
                << "field " << k << " = " << bad << ": " << run.Output.toStdString();
            ++cases;
        }
    }
    EXPECT_GT(cases, 50);
}

TEST_F(ProgramsTest, SaverDrawsIntoAnotherProgramsWindowAndEndsWithIt) {
    TXServer x;
    if (x.Display.isEmpty()) {
        GTEST_SKIP() << "Xvfb cannot start here";
    }
    for (const bool viaEnvironment : {false, true}) {
        TXWindow window(x.Display, 320, 240);
        QProcessEnvironment env = x.Env();
        QStringList args = {"--window-id", QString::number(window.Id)};
        if (viaEnvironment) {
            env.insert("XSCREENSAVER_WINDOW", QStringLiteral("0x%1").arg(window.Id, 0, 16));
            args = QStringList{"--root"};
        }
        QProcess saver;
        saver.setProcessEnvironment(env);
        saver.start(Saver, args << Show);
        // The first picture, red, fills the window once the first tick has come.
        EXPECT_TRUE(Within(8000, [&] { return window.Pixel(160, 120) == 0xFF0000; }))
            << std::hex << window.Pixel(160, 120);
        if (viaEnvironment) {
            saver.terminate();  // SIGTERM, as on unblank
        } else {
            window.Destroy();
        }
        EXPECT_TRUE(saver.waitForFinished(viaEnvironment ? 3000 : 6000))
            << saver.readAllStandardError().toStdString();
        EXPECT_EQ(saver.exitStatus(), QProcess::NormalExit);
    }
}

TEST_F(ProgramsTest, PlaysFullScreenUntilAKey) {
    TXServer x;
    if (x.Display.isEmpty()) {
        GTEST_SKIP() << "Xvfb cannot start here";
    }
    QProcess player;
    player.setProcessEnvironment(x.Env());
    player.start(Show, {"--play"});
    TXWindow probe(x.Display, 1, 1);
    ASSERT_TRUE(Within(8000, [&] { return probe.Pixel(320, 240) == 0xFF0000; }));
    // The window asked the window manager for the full-screen state, and covers the screen
    // where there is none.
    EXPECT_EQ(probe.FullScreenWindows(), std::vector<QSize>{QSize(640, 480)});
    QProcessEnvironment env = x.Env();
    QProcess key;
    key.setProcessEnvironment(env);
    key.start("xdotool", {"key", "space"});
    key.waitForFinished(5000);
    EXPECT_TRUE(player.waitForFinished(5000)) << key.readAllStandardError().toStdString();
    EXPECT_EQ(player.exitCode(), 0);
}

// The sound is a MIDI file with nothing to play, named .mp3: the show, full screen or in a host's
// window, still ends within a second of a key or of SIGTERM, even when the way out hangs (here
// on an X server that stopped answering), and its temporary sound file goes.
TEST_F(ProgramsTest, ASilentMidiNamedMp3NeverKeepsTheShowGoing) {
    TXServer x;
    if (x.Display.isEmpty()) {
        GTEST_SKIP() << "Xvfb cannot start here";
    }
    const std::string sound = FDir.filePath("silent.mp3").toStdString();
    soundfiles::WriteBytes(sound, soundfiles::EmptyMidi());
    const QString show =
        QString::fromStdString(MakeShowFile(FDir.path(), "静", {Qt::red}, "silent.run", sound));
    const QString runtime = FDir.filePath("run");
    ASSERT_TRUE(QDir().mkpath(runtime));
    QProcessEnvironment env = x.Env();
    env.insert("XDG_RUNTIME_DIR", runtime);
    auto soundFiles = [&] {
        return QDir(runtime).entryList({"kavro-sound-*"}, QDir::Files | QDir::Hidden).size();
    };
    for (const char* end : {"key", "SIGTERM", "SIGTERM, server stopped"}) {
        const bool byKey = end == std::string("key");
        TXWindow window(x.Display, 320, 240);
        QProcess player;
        // The saver given its window with --window-id is a silent preview; xscreensaver names
        // the window in the environment instead.
        QProcessEnvironment playerEnv = env;
        playerEnv.insert("XSCREENSAVER_WINDOW", QStringLiteral("0x%1").arg(window.Id, 0, 16));
        player.setProcessEnvironment(playerEnv);
        if (byKey) {
            player.start(show, {"--play"});
        } else {
            player.start(Saver, {"--root", show});
        }
        ASSERT_TRUE(Within(8000, [&] { return window.Pixel(160, 120) == 0xFF0000; })) << end;
        ASSERT_EQ(soundFiles(), 1);
        // Long enough for the sound to end and be asked to start again.
        QThread::msleep(1500);
        if (byKey) {
            QProcess key;
            key.setProcessEnvironment(env);
            key.start("xdotool", {"key", "space"});
            key.waitForFinished(5000);
        } else {
            x.Pause(std::strchr(end, ',') != nullptr);
            player.terminate();
        }
        EXPECT_TRUE(player.waitForFinished(1000)) << end;
        x.Pause(false);
        EXPECT_EQ(soundFiles(), 0) << end;
        player.kill();
        player.waitForFinished();
    }
}

// What root can arrange: a machine without Qt, an ordinary user, a noexec mount.
class RootOnlyTest : public ProgramsTest {
protected:
    void SetUp() override {
        if (geteuid() != 0 || RunProgram("unshare", {"-m", "true"}).Code != 0) {
            GTEST_SKIP() << "needs root and mount namespaces";
        }
        ProgramsTest::SetUp();
        QFile::setPermissions(FDir.path(), QFile::Permissions(0x7777));
    }
    TRunResult Shell(const QString& script) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("D", FDir.path());
        env.insert("SHOW", Show);
        return RunProgram("unshare", {"-m", "sh", "-c", script}, env);
    }
};

TEST_F(RootOnlyTest, MissingLibrariesAreNamedNotLeftToTheLoader) {
    const auto run = Shell(
        "mount --bind /dev/null /usr/lib/x86_64-linux-gnu/libQt6Core.so.6 && \"$SHOW\" --help");
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Output.contains("sudo apt install libqt6core6")) << run.Output.toStdString();
    EXPECT_TRUE(run.Output.contains("程序库没有安装"));
}

TEST_F(RootOnlyTest, InstallsForAnOrdinaryUserAndRefusesNoexec) {
    const QString asUser =
        "mkdir -p \"$D/home\" \"$D/data\" && chmod 777 \"$D/home\" \"$D/data\" && "
        "HOME=\"$D/home\" XDG_DATA_HOME=\"$D/data\" setpriv --reuid=65534 --regid=65534 "
        "--clear-groups \"$SHOW\" ";
    const auto installed = Shell(asUser + "--install --select");
    ASSERT_EQ(installed.Code, 0) << installed.Output.toStdString();
    const QString config = FDir.filePath("home/.xscreensaver");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("\"海边\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("mode:\t\tone"));
    // The menu entry's icon is there to be shown.
    const QStringList entries = QDir(FDir.filePath("data/applications")).entryList({"*.desktop"});
    ASSERT_EQ(entries.size(), 1);
    QFile entry(FDir.filePath("data/applications/" + entries[0]));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString desktop = QString::fromUtf8(entry.readAll());
    const qsizetype icon = desktop.indexOf("\nIcon=");
    ASSERT_GE(icon, 0) << desktop.toStdString();
    QFile png(desktop.mid(icon + 6, desktop.indexOf('\n', icon + 1) - icon - 6));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly)) << png.fileName().toStdString();
    EXPECT_EQ(png.read(4), QByteArray("\x89PNG"));
    EXPECT_EQ(Shell(asUser + "--uninstall").Code, 0);
    EXPECT_FALSE(QFile::exists(config));

    const auto refused =
        Shell("mkdir -p \"$D/data\" && mount -t tmpfs -o noexec,mode=777 none \"$D/data\" && " +
              asUser + "--install");
    EXPECT_EQ(refused.Code, 1);
    EXPECT_TRUE(refused.Output.contains("noexec")) << refused.Output.toStdString();

    // A disk that fills up halfway: the reason is told and the half-made folder goes.
    const auto full = Shell(
        "mkdir -p \"$D/data\" && mount -t tmpfs -o size=400k,mode=777 none \"$D/data\" && { " +
        asUser + "--install; code=$?; ls -A \"$D/data/kavro/savers\"; exit $code; }");
    EXPECT_EQ(full.Code, 1);
    EXPECT_TRUE(full.Output.contains("”：磁盘空间不足")) << full.Output.toStdString();
    EXPECT_TRUE(full.Output.endsWith(".lock\n")) << full.Output.toStdString();
    EXPECT_FALSE(QFile::exists(config));
    EXPECT_EQ(RunProgram(Show, {"--install"}).Code, 1);  // and root itself is refused
}

// `kavro FILE`: the wizard opens the file at start, writing its pictures out beside it.
TEST_F(ProgramsTest, WizardOpensAFileGivenOnTheCommandLine) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    QProcess wizard;
    wizard.setProcessEnvironment(env);
    wizard.start(KAVRO_BUILD_DIR "/kavro", {Show});
    const QString first = FDir.filePath("show_文件/001.bmp");
    EXPECT_TRUE(Within(10000, [&] { return QFile::exists(first); }));
    QFile picture(first), original(FDir.filePath("p0.bmp"));
    ASSERT_TRUE(picture.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(picture.readAll(), original.readAll());
    wizard.kill();
    wizard.waitForFinished();
}

// The real host: xscreensaver, run as an ordinary user (it refuses root), starts the installed
// show when told to blank the screen.
TEST_F(RootOnlyTest, TheDaemonPlaysTheInstalledShow) {
    TXServer x;
    if (x.Display.isEmpty() || RunProgram("sh", {"-c", "command -v xscreensaver"}).Code != 0) {
        GTEST_SKIP() << "needs Xvfb and xscreensaver";
    }
    const QString asUser =
        "mkdir -p \"$D/home\" && chmod 777 \"$D/home\" && HOME=\"$D/home\" "
        "DISPLAY=" +
        x.Display + " setpriv --reuid=65534 --regid=65534 --clear-groups ";
    // A file xscreensaver reads in its own way: "*programs" is no setting of its, and of two
    // programs: the last counts. The show must go where the daemon looks.
    QDir(FDir.path()).mkdir("home");
    QFile::setPermissions(FDir.filePath("home"), QFile::Permissions(0x7777));
    QFile config(FDir.filePath("home/.xscreensaver"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(
        "mode:\trandom\n*programs:\tmaze -root\nprograms:\tdeco -root\n"
        "programs:\t\\\n\t-grav -root\t\\n\\\n\t-flame -root\t\\n\n");
    config.close();
    config.setPermissions(QFile::Permissions(0x6666));
    QProcess daemon;
    QProcessEnvironment env = x.Env();
    env.insert("D", FDir.path());
    daemon.setProcessEnvironment(env);
    daemon.start("sh", {"-c", asUser + "xscreensaver -no-splash"});
    EXPECT_TRUE(
        Within(10000, [&] { return Shell(asUser + "xscreensaver-command -version").Code == 0; }));
    ASSERT_EQ(Shell(asUser + "\"$SHOW\" --install --select --idle-after 1").Code, 0);
    // The idle watcher runs but leaves the screen to the daemon: past its delay nothing of ours
    // plays.
    EXPECT_TRUE(Shell(asUser + "\"$SHOW\" --status").Output.contains("watcher: running"));
    EXPECT_FALSE(Within(3000, [&] { return ProcessRuns("kavro-saver --play " + FDir.path()); }));
    TXWindow probe(x.Display, 1, 1);
    EXPECT_TRUE(
        Within(10000, [&] { return Shell(asUser + "xscreensaver-command -activate").Code == 0; }));
    // After the daemon's fade, the first picture (red) fills its window.
    EXPECT_TRUE(Within(20000, [&] { return probe.Pixel(320, 240) == 0xFF0000; }));
    Shell(asUser + "xscreensaver-command -exit");
    daemon.waitForFinished(5000);
    EXPECT_EQ(Shell(asUser + "\"$SHOW\" --uninstall").Code, 0);
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    EXPECT_EQ(config.readAll().toStdString(),
              "mode:\trandom\n*programs:\tmaze -root\nprograms:\tdeco -root\n"
              "programs:\t\\\n\t-grav -root\t\\n\\\n\t-flame -root\t\\n\n");
}

// The installer run several times at once, as from a file manager's multiple selection: every
// show is in the file afterwards, and every uninstall takes its own out, the last one the rest.
TEST_F(RootOnlyTest, InstallsStartedTogetherKeepEveryShow) {
    QStringList shows;
    for (int i = 0; i < 6; ++i) {
        shows << QString::fromStdString(MakeShowFile(FDir.path(),
                                                     "show" + std::to_string(i),
                                                     {Qt::green},
                                                     QStringLiteral("s%1.run").arg(i)));
    }
    const QString together =
        "mkdir -p \"$D/home\" && chmod 777 \"$D/home\" && for show in " + shows.join(' ') +
        "; do HOME=\"$D/home\" XDG_DATA_HOME=\"$D/home/data\" setpriv --reuid=65534 "
        "--regid=65534 --clear-groups \"$show\" $ACTION & done; wait";
    const QString config = FDir.filePath("home/.xscreensaver");
    const auto installed = Shell("ACTION='--install --select'; " + together);
    EXPECT_EQ(installed.Output.count("已安装屏幕保护"), 6) << installed.Output.toStdString();
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(TXScreensaverConfig(file.readAll().toStdString()).ProgramCount(), 6);
    const auto removed = Shell("ACTION=--uninstall; " + together);
    EXPECT_EQ(removed.Output.count("已卸载屏幕保护"), 6) << removed.Output.toStdString();
    EXPECT_FALSE(QFile::exists(config));
    // The last one out takes the shared lock and folders along; the others never lost a turn.
    EXPECT_FALSE(QFileInfo::exists(FDir.filePath("home/data/kavro")));
}
