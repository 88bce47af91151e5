// The idle watcher: one small process of the user's session that starts the current installed
// show full screen when the session says the user is idle, and ends it at the next input. It
// travels inside the saver program (kavro-saver --watch runs it) and links no window toolkit,
// so that it stays small while it waits; the show runs as a child process.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/IdleMonitor.h"
#include "platform/QtChildProcess.h"
#include "platform/SessionInhibitors.h"
#include "saver/DesktopDelay.h"
#include "saver/IdleWatcher.h"
#include "saver/RunQuietly.h"
#include "saver/WatcherState.h"
#include "toolkit/QtTimer.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

int SignalPipe[2] = {-1, -1};

extern "C" void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(SignalPipe[1], &byte, 1);
}

void QuitOnSignals(QCoreApplication& app) {
    if (pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(
        notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::exit(0); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// The runtime folder, made private when it is our own fallback in /tmp; false when it is not
// ours (another user could have put it there).
bool PrivateFolder(const fs::path& folder) {
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid();
}

// Takes the lock only one watcher of the user can hold; keeps it until the process ends.
bool TakeLock(const fs::path& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || write(fd, pid.data(), pid.size()) < 0) {
        return false;
    }
    return true;
}

void WriteStatus(const fs::path& path, const std::string& source, bool playing) {
    const fs::path temp = path.string() + ".new";
    FILE* file = std::fopen(temp.c_str(), "w");
    if (!file) {
        return;
    }
    std::fprintf(file, "source: %s\nplaying: %s\n", source.c_str(), playing ? "yes" : "no");
    if (std::fclose(file) == 0) {
        std::rename(temp.c_str(), path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    prctl(PR_SET_NAME, "kavro-watcher");
    const TWatcherPaths paths = TWatcherPaths::FromProcess();
    if (!PrivateFolder(paths.Runtime) || !TakeLock(paths.Lock())) {
        return 0;  // another watcher of this user runs already
    }
    const TWatcherState state = TWatcherState::Parse(ReadWholeFile(paths.Config()).value_or(""));
    if (state.Shows.empty()) {
        return 0;
    }
    const int idleSeconds =
        state.IdleAfterSeconds.value_or(DefaultIdleAfterSeconds(TDesktopSettings::FromProcess()));

    QCoreApplication app(argc, argv);
    QuitOnSignals(app);
    std::unique_ptr<TIdleMonitor> idle =
        OpenSessionIdleMonitor(static_cast<uint32_t>(idleSeconds) * 1000u);
    if (!idle) {
        std::fprintf(stderr, "kavro-watcher: 这个桌面不告诉程序用户何时闲置 (no idle source)\n");
        return 1;
    }
    // The show is a Wayland client where the session is one, whatever its settings say.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (std::getenv("WAYLAND_DISPLAY") && (!platform || !*platform)) {
        setenv("QT_QPA_PLATFORM", "wayland;xcb", 1);
    }
    const std::string source = idle->Name();
    idle->OnLost = [] { QCoreApplication::exit(0); };

    TQtChildProcess show;
    TQtTimerFactory timers;
    std::unique_ptr<TSessionInhibitor> inhibitor = OpenSessionInhibitor();
    auto currentShow = [&paths]() -> std::optional<TShowCommand> {
        const TWatcherState now = TWatcherState::Parse(ReadWholeFile(paths.Config()).value_or(""));
        const std::string name = now.Current();
        if (name.empty()) {
            return std::nullopt;
        }
        const fs::path folder = paths.ShowFolder(name);
        std::error_code ec;
        if (!fs::exists(folder / "kavro-saver", ec) || !fs::exists(folder / "show.run", ec)) {
            return std::nullopt;
        }
        return TShowCommand{(folder / "kavro-saver").string(),
                            {"--play", (folder / "show.run").string()}};
    };
    // Without an inhibitor on the session bus a Wayland compositor's belongs to the show's
    // windows; where the compositor has none the show holds nothing, and says nothing.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool showKeepsScreenOn = !inhibitor && wayland && *wayland;
    const TIdleWatcher::TServices services{
        *idle, show, timers, inhibitor.get(), XScreensaverAnswers, currentShow, showKeepsScreenOn};
    TIdleWatcher watcher(services, state.KeepScreenOnMinutes);
    watcher.OnPlayingChanged = [&](bool playing) { WriteStatus(paths.Status(), source, playing); };
    WriteStatus(paths.Status(), source, false);
    const int code = app.exec();
    std::error_code ec;
    fs::remove(paths.Status(), ec);
    return code;
}
