// The saver program: plays the show of an installer file inside xscreensaver's window (or its
// preview pane), or full screen in a window of its own.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "engine/CaSaverForms.h"
#include "pack/InstallerReader.h"
#include "platform/SdlMediaControl.h"
#include "platform/SdlWavePlayer.h"
#include "platform/WaylandIdleInhibitor.h"
#include "saver/FileShow.h"
#include "saver/KeepScreenOn.h"
#include "saver/SaverArgs.h"
#include "saver/SaverHost.h"
#include "saver/ScreenOrder.h"
#include "toolkit/QtFrameClock.h"
#include "toolkit/QtScreen.h"
#include "toolkit/QtTimer.h"
#include "toolkit/QtWorker.h"
#include "toolkit/WidgetCanvas.h"

namespace fs = std::filesystem;

extern "C" const unsigned char KavroWatcherImage[];
extern "C" const unsigned char KavroWatcherImageEnd[];
extern char** environ;

namespace {

// The idle watcher is a program of its own inside this one, so that the waiting process holds
// none of the window toolkit this one links: its bytes are run from memory in place of ours.
int RunWatcher(char** argv) {
    const int fd = memfd_create("kavro-watcher", MFD_CLOEXEC);
    const size_t size = static_cast<size_t>(KavroWatcherImageEnd - KavroWatcherImage);
    size_t done = 0;
    while (fd >= 0 && done < size) {
        const ssize_t n = write(fd, KavroWatcherImage + done, size - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (fd >= 0 && done == size) {
        fexecve(fd, argv, environ);
    }
    std::perror("kavro-saver --watch");
    return 1;
}

int SignalPipe[2] = {-1, -1};
// The sound's temporary file, removed by EndWithin when the normal way out is too slow.
std::string SoundLeftover;

extern "C" void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(SignalPipe[1], &byte, 1);
}

// Ends the process after `deadline` if it has not ended by then, removing the sound's temporary
// file first: xscreensaver's unblank is never kept waiting, whatever a library does on the way.
void EndWithin(std::chrono::milliseconds deadline) {
    std::thread([deadline, leftover = SoundLeftover] {
        std::this_thread::sleep_for(deadline);
        if (!leftover.empty()) {
            unlink(leftover.c_str());
        }
        _exit(0);
    }).detach();
}

// SIGTERM (xscreensaver's unblank) and SIGINT end the event loop, so that every destructor
// runs and the sound's temporary file goes; within 700 ms in any case.
void QuitOnSignals(QCoreApplication& app) {
    if (pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, &app);
    // exit, not quit: quit first asks every window to close, and a window whose host is gone
    // may never answer.
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        EndWithin(std::chrono::milliseconds(700));
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// One saver process runs per monitor; only the one holding this lock plays the sound.
bool TakeSoundLock() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string path =
        (runtime && *runtime ? std::string(runtime) : "/tmp/kavro-" + std::to_string(getuid())) +
        "-saver-sound.lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    return fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;  // kept open until the process ends
}

// The screen a hosted show composes at: the host window's size.
class THostScreen : public TScreen {
public:
    explicit THostScreen(const TSaverHost& host) : FHost(host) {}
    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    TRect Geometry() const override { return {0, 0, FSize.width(), FSize.height()}; }
    void Update() { FSize = FHost.Size(); }

private:
    const TSaverHost& FHost;
    QSize FSize;
};

std::string InstalledShow(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        self = argv0;
    }
    return (self.parent_path() / "show.run").string();
}

int RunHosted(QApplication& app,
              const TSaverArgs& args,
              const TInstallerReader& reader,
              const TSaverSettings& settings,
              const std::string& soundFile,
              TMediaControl& media,
              TWavePlayer& wave) {
    const uint32_t window = args.Window ? args.Window : RootWindow();
    TSaverHost host(window);
    THostScreen screen(host);
    screen.Update();
    TQtTimerFactory timers;
    TQtFrameClockFactory frames;
    TQtWorker worker;
    // xscreensaver starts one saver per monitor: each finds its place among the screens, and
    // the preview pane counts as the first.
    int screenIndex = 0;
    if (!args.Preview) {
        std::vector<TRect> screens;
        for (const QScreen* s : QGuiApplication::screens()) {
            const QRect g = s->geometry();
            screens.push_back({g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
        }
        const QPoint at = host.RootPosition();
        screenIndex = ScreenIndexOf(
            screens, {at.x(), at.y(), at.x() + screen.Width(), at.y() + screen.Height()});
    }
    const TShowServices services{timers, screen, media, wave, &frames, &worker, screenIndex};

    TWidgetCanvas canvas;
    canvas.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    canvas.setAttribute(Qt::WA_NativeWindow);
    canvas.SetBackground(settings.BackColor);
    canvas.winId();
    QWindow* parent = QWindow::fromWinId(window);
    canvas.windowHandle()->setParent(parent);

    std::unique_ptr<TCbScreenSaver> show;
    auto restart = [&] {
        TCbScreenSaver::Stop(show);
        screen.Update();
        if (screen.Width() <= 0 || screen.Height() <= 0) {
            return;
        }
        canvas.setGeometry(0, 0, screen.Width(), screen.Height());
        canvas.SyncImageSize();
        TCanvas& target = canvas.Canvas();
        show = std::make_unique<TFileShow>(
            target, target.ClipRect(), settings, reader, soundFile, services);
        show->Start();
    };
    host.OnResized = [&](QSize) { restart(); };
    host.OnDestroyed = [] { QCoreApplication::exit(0); };
    canvas.show();
    try {
        restart();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kavro-saver: %s\n", error.what());
        return 1;
    }
    const int code = app.exec();
    TCbScreenSaver::Stop(show);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--watch") {
        return RunWatcher(argv);
    }
    const TSaverArgs args = ParseSaverArgs(std::vector<std::string>(argv + 1, argv + argc),
                                           std::getenv("XSCREENSAVER_WINDOW"));
    if (args.Mode == TSaverArgs::Help) {
        std::fputs(SaverUsage, stdout);
        return 0;
    }
    if (args.Mode == TSaverArgs::Invalid) {
        std::fprintf(stderr, "kavro-saver: %s\n%s", args.Error.c_str(), SaverUsage);
        return 2;
    }
    if (args.Mode == TSaverArgs::Host) {
        // The host's window is an X window even in an XWayland session; one image pixel per
        // device pixel keeps the show's size the window's size.
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    }

    TInstallerReader reader;
    try {
        reader.Open(args.File.empty() ? InstalledShow(argv[0]) : args.File);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kavro-saver: %s\n", error.what());
        return 1;
    }
    QApplication app(argc, argv);
    QuitOnSignals(app);
    TSaverSettings settings;
    try {
        settings = reader.Settings();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kavro-saver: %s\n", error.what());
        return 1;
    }
    if (args.Mode == TSaverArgs::Play) {
        // The idle watcher asks for this where only a window can hold the desktop's blanking
        // off (a Wayland compositor's idle inhibitor).
        TWaylandIdleInhibitor inhibitor;
        TQtTimerFactory keepOnTimers;
        std::unique_ptr<TKeepScreenOn> keepOn;
        if (args.KeepScreenOnMinutes > 0) {
            keepOn = std::make_unique<TKeepScreenOn>(
                inhibitor, keepOnTimers, static_cast<uint32_t>(args.KeepScreenOnMinutes) * 60000u);
        }
        const std::string failure = PlayShowFullScreen(reader, false, keepOn.get());
        if (!failure.empty()) {
            std::fprintf(stderr, "kavro-saver: %s\n", failure.c_str());
            return 1;
        }
        return 0;
    }
    // The preview pane stays silent, and of several monitors only one plays the sound.
    std::unique_ptr<TSoundFile> soundFile;
    if (!args.Preview && reader.HasSound() && settings.PlaySound && TakeSoundLock()) {
        soundFile = std::make_unique<TSoundFile>(reader);
    }
    const std::string soundName = soundFile ? soundFile->Name() : std::string();
    if (soundName.empty()) {
        settings.PlaySound = 0;
    }
    SoundLeftover = soundName;
    TSdlMediaControl media;
    TSdlWavePlayer wave;
    return RunHosted(app, args, reader, settings, soundName, media, wave);
}
