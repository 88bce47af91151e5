#pragma once

// Private display servers for one test, each run as an ordinary user when the tests run as
// root (compositors and the screensaver daemon refuse root): a plain X server, a headless
// sway with two outputs side by side, headless mutter and headless KWin.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "saver/SaverFixture.h"

// Waits up to `ms` for pred to hold.
template <typename F>
bool Within(int ms, F pred) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents();
        if (pred()) {
            return true;
        }
        QThread::msleep(20);
    }
    return pred();
}

inline bool HasProgram(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// The user a session runs as: nobody when we are root, else ourselves. Its home and runtime
// folder lie in `folder`, which must be open to that user.
class TSessionUser {
public:
    explicit TSessionUser(const QString& folder) : Folder(folder) {
        QDir(folder).mkpath("home");
        QDir(folder).mkpath("run");
        QFile::setPermissions(folder, QFile::Permissions(0x7777));
        QFile::setPermissions(folder + "/home", QFile::Permissions(0x7777));
        const QByteArray run = QFile::encodeName(folder + "/run");
        if (geteuid() == 0) {
            [[maybe_unused]] int ignored = chown(run.constData(), 65534, 65534);
        }
        chmod(run.constData(), 0700);
    }
    // The command line that runs program as the user.
    QStringList Command(const QString& program, const QStringList& args) const {
        QStringList line;
        if (geteuid() == 0) {
            line << "setpriv"
                 << "--reuid=65534"
                 << "--regid=65534"
                 << "--clear-groups";
        }
        return line << program << args;
    }
    QProcessEnvironment Env() const {
        QProcessEnvironment env;
        env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
        env.insert("HOME", Folder + "/home");
        env.insert("XDG_RUNTIME_DIR", Folder + "/run");
        env.insert("SDL_AUDIODRIVER", "dummy");
        return env;
    }
    QString Home() const { return Folder + "/home"; }
    QString Folder;
};

// Runs a program of the session's user, in its environment plus `extra`, to its end.
inline TRunResult RunAs(const TSessionUser& user,
                        const QProcessEnvironment& env,
                        const QString& program,
                        const QStringList& args,
                        int seconds = 20) {
    const QStringList line = user.Command(program, args);
    return RunProgram(line.first(), line.mid(1), env, seconds);
}

inline std::unique_ptr<QProcess> StartAs(const TSessionUser& user,
                                         const QProcessEnvironment& env,
                                         const QString& program,
                                         const QStringList& args) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::MergedChannels);
    const QStringList line = user.Command(program, args);
    process->start(line.first(), line.mid(1));
    process->waitForStarted(5000);
    return process;
}

// Xvfb at 640 × 480; Display stays empty when it cannot start.
class TXServer {
public:
    TXServer() {
        for (int n = 70 + getpid() % 200; n < 400 && Display.isEmpty(); ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                continue;
            }
            FProcess.start("Xvfb",
                           {QStringLiteral(":%1").arg(n),
                            "-screen",
                            "0",
                            "640x480x24",
                            "-nolisten",
                            "tcp",
                            "-noreset"});
            if (!FProcess.waitForStarted(5000)) {
                return;
            }
            for (int i = 0; i < 100 && FProcess.state() == QProcess::Running; ++i) {
                if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                    Display = QStringLiteral(":%1").arg(n);
                    break;
                }
                QThread::msleep(50);
            }
        }
    }
    ~TXServer() {
        FProcess.terminate();
        FProcess.waitForFinished(3000);
    }
    // Stops the server, or lets it go on.
    void Pause(bool paused) {
        ::kill(static_cast<pid_t>(FProcess.processId()), paused ? SIGSTOP : SIGCONT);
    }
    QProcessEnvironment Env() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", Display);
        env.remove("QT_QPA_PLATFORM");
        env.remove("WAYLAND_DISPLAY");
        env.insert("SDL_AUDIODRIVER", "dummy");
        return env;
    }
    QString Display;

private:
    QProcess FProcess;
};

// A window of our own on the X server, as xscreensaver would make one, and what it shows.
class TXWindow {
public:
    TXWindow(const QString& display, int w, int h) {
        FConnection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
        Id = xcb_generate_id(FConnection);
        const uint32_t values[] = {screen->black_pixel};
        xcb_create_window(FConnection,
                          XCB_COPY_FROM_PARENT,
                          Id,
                          screen->root,
                          0,
                          0,
                          w,
                          h,
                          0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual,
                          XCB_CW_BACK_PIXEL,
                          values);
        xcb_map_window(FConnection, Id);
        xcb_flush(FConnection);
    }
    ~TXWindow() { xcb_disconnect(FConnection); }
    void Destroy() {
        xcb_destroy_window(FConnection, Id);
        xcb_flush(FConnection);
    }
    // The colour at (x, y) as the screen shows it (children included), 0xRRGGBB.
    uint32_t Pixel(int x, int y) {
        const QImage image = Screenshot({x, y, 1, 1});
        return image.isNull() ? 0xFFFFFFFF : image.pixel(0, 0) & 0xFFFFFF;
    }
    // What the screen shows within r, the whole screen when r is empty.
    QImage Screenshot(QRect r = {}) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
        r = r.isEmpty() ? QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels) : r;
        const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
        auto* reply = xcb_get_image_reply(
            FConnection,
            xcb_get_image(FConnection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, x, y, w, h, ~0u),
            nullptr);
        if (!reply) {
            return {};
        }
        // 24 bits in 32 a pixel, as Xvfb's screen has them.
        const QImage image = QImage(xcb_get_image_data(reply), w, h, QImage::Format_RGB32).copy();
        std::free(reply);
        return image;
    }
    // The top-level windows that asked for the full-screen state, with their size.
    std::vector<QSize> FullScreenWindows() {
        std::vector<QSize> found;
        auto atom = [&](const char* name) {
            auto* reply = xcb_intern_atom_reply(
                FConnection, xcb_intern_atom(FConnection, 0, std::strlen(name), name), nullptr);
            const xcb_atom_t value = reply ? reply->atom : 0;
            std::free(reply);
            return value;
        };
        const xcb_atom_t state = atom("_NET_WM_STATE"), full = atom("_NET_WM_STATE_FULLSCREEN");
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
        auto* tree =
            xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, screen->root), nullptr);
        if (!tree) {
            return found;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            auto* property = xcb_get_property_reply(
                FConnection,
                xcb_get_property(FConnection, 0, children[i], state, XCB_ATOM_ATOM, 0, 32),
                nullptr);
            if (!property) {
                continue;
            }
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(property));
            const int count = xcb_get_property_value_length(property) / 4;
            if (std::find(atoms, atoms + count, full) != atoms + count) {
                auto* geometry = xcb_get_geometry_reply(
                    FConnection, xcb_get_geometry(FConnection, children[i]), nullptr);
                found.emplace_back(geometry ? geometry->width : 0, geometry ? geometry->height : 0);
                std::free(geometry);
            }
            std::free(property);
        }
        std::free(tree);
        return found;
    }
    uint32_t Id = 0;

private:
    xcb_connection_t* FConnection;
};

// Headless sway 1.7 with outputs HEADLESS-1 and HEADLESS-2, 640 × 480 each, side by side.
class TSway {
public:
    explicit TSway(const TSessionUser& user) : FUser(user) {
        if (!HasProgram("sway")) {
            return;
        }
        const QString config = user.Folder + "/sway.config";
        QFile file(config);
        file.open(QIODevice::WriteOnly);
        file.write(
            "output HEADLESS-1 resolution 640x480 position 0 0\n"
            "output HEADLESS-2 resolution 640x480 position 640 0\n"
            "default_border none\n"
            // No X server of its own: it would take display :0, which other tests may ask.
            "xwayland disable\n");
        file.close();
        QProcessEnvironment env = user.Env();
        env.insert("WLR_BACKENDS", "headless");
        env.insert("WLR_LIBINPUT_NO_DEVICES", "1");
        env.insert("WLR_RENDERER", "pixman");
        env.insert("WLR_HEADLESS_OUTPUTS", "2");
        FProcess = StartAs(user, env, "sway", {"-c", config});
        const QDir run(user.Folder + "/run");
        Within(10000, [&] {
            const QStringList ipc = run.entryList({"sway-ipc.*"}, QDir::System);
            if (!ipc.isEmpty() && run.exists("wayland-1")) {
                FSocket = run.filePath(ipc.first());
            }
            return !FSocket.isEmpty();
        });
        Running = !FSocket.isEmpty() && Within(5000, [&] { return Outputs() == 2; });
    }
    ~TSway() {
        if (FProcess) {
            Msg({"exit"});
            if (!FProcess->waitForFinished(3000)) {
                FProcess->kill();
                FProcess->waitForFinished(2000);
            }
        }
    }
    // The session's environment for its clients.
    QProcessEnvironment Env() const {
        QProcessEnvironment env = FUser.Env();
        env.insert("WAYLAND_DISPLAY", "wayland-1");
        env.insert("SWAYSOCK", FSocket);
        env.insert("XDG_SESSION_TYPE", "wayland");
        return env;
    }
    TRunResult Msg(const QStringList& args) const { return RunAs(FUser, Env(), "swaymsg", args); }
    int Outputs() const {
        return QJsonDocument::fromJson(Msg({"-t", "get_outputs"}).Output.toUtf8()).array().size();
    }
    // The outputs of the views (programs' windows) of which `holds` is true, by name.
    QStringList ViewOutputs(const std::function<bool(const QJsonObject& view)>& holds) const {
        QStringList outputs;
        const QJsonObject tree =
            QJsonDocument::fromJson(Msg({"-t", "get_tree"}).Output.toUtf8()).object();
        std::function<void(const QJsonObject&, const QString&)> walk = [&](const QJsonObject& node,
                                                                           QString output) {
            if (node["type"].toString() == "output") {
                output = node["name"].toString();
            }
            if (node["pid"].toInt() > 0 && holds(node)) {
                outputs << output;
            }
            for (const QString key : {"nodes", "floating_nodes"}) {
                for (const QJsonValue child : node[key].toArray()) {
                    walk(child.toObject(), output);
                }
            }
        };
        walk(tree, {});
        return outputs;
    }
    // The views in the compositor's full-screen state.
    QStringList FullScreenOutputs() const {
        return ViewOutputs([](const QJsonObject& view) { return view["fullscreen_mode"] == 1; });
    }
    // Everything the outputs show, 1280 × 480.
    QImage Screenshot() const {
        const QString file = FUser.Folder + "/home/shot.png";
        QFile::remove(file);
        RunAs(FUser, Env(), "grim", {file});
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }
    bool Running = false;

private:
    const TSessionUser& FUser;
    std::unique_ptr<QProcess> FProcess;
    QString FSocket;
};

// A session on a private bus of its own: `dbus-run-session` runs a shell line as the user, which
// first leaves the bus's address and its own process id in the runtime folder, then becomes the
// session's program (`exec`). The session ends, bus and all, with the object.
class TBusSession {
public:
    TBusSession(const TSessionUser& user, const QString& socket) : FUser(user), FSocket(socket) {}
    ~TBusSession() {
        QFile pid(FUser.Folder + "/run/session.pid");
        if (pid.open(QIODevice::ReadOnly)) {
            const int id = pid.readAll().trimmed().toInt();
            if (id > 1) {
                kill(id, SIGTERM);
            }
        }
        if (FProcess && !FProcess->waitForFinished(5000)) {
            FProcess->kill();
            FProcess->waitForFinished(2000);
        }
    }
    // The session's environment for its clients: its bus, and its Wayland socket if it has one.
    QProcessEnvironment Env() const {
        QProcessEnvironment env = FUser.Env();
        if (!FSocket.isEmpty()) {
            env.insert("WAYLAND_DISPLAY", FSocket);
            env.insert("XDG_SESSION_TYPE", "wayland");
        }
        env.insert("DBUS_SESSION_BUS_ADDRESS", FBus);
        return env;
    }
    // Calls a method on the session's bus; code 0 when it answered.
    TRunResult Call(const QString& dest,
                    const QString& path,
                    const QString& method,
                    const QStringList& args = {}) const {
        return RunAs(
            FUser,
            Env(),
            "gdbus",
            QStringList{
                "call", "--session", "--dest", dest, "--object-path", path, "--method", method} +
                args);
    }
    bool Running = false;

protected:
    // Starts `line` (its arguments are $0, $1, … there) in `env` and waits up to `ms` for the
    // session's socket and for `ready`.
    void Start(const QProcessEnvironment& env,
               const QString& line,
               const QStringList& args,
               int ms,
               const std::function<bool()>& ready) {
        if (!HasProgram("dbus-run-session") || !HasProgram("gdbus")) {
            return;
        }
        const QString run = FUser.Folder + "/run";
        FProcess = StartAs(FUser,
                           env,
                           "dbus-run-session",
                           QStringList{"--",
                                       "sh",
                                       "-c",
                                       "echo \"$DBUS_SESSION_BUS_ADDRESS\" > "
                                       "\"$XDG_RUNTIME_DIR/bus-address\"; echo $$ > "
                                       "\"$XDG_RUNTIME_DIR/session.pid\"; " +
                                           line} +
                               args);
        Running = Within(ms, [&] {
            QFile address(run + "/bus-address");
            if (address.open(QIODevice::ReadOnly)) {
                FBus = QString::fromUtf8(address.readAll()).trimmed();
            }
            return !FBus.isEmpty() && (FSocket.isEmpty() || QFile::exists(run + "/" + FSocket)) &&
                   ready();
        });
    }

    const TSessionUser& FUser;

private:
    QString FSocket;
    QString FBus;
    std::unique_ptr<QProcess> FProcess;
};

// Headless mutter 43 (GNOME's window manager) on a private session bus, its idle monitor
// resettable as if there were input.
class TMutter : public TBusSession {
public:
    explicit TMutter(const TSessionUser& user) : TBusSession(user, "wayland-0") {
        if (HasProgram("mutter")) {
            Start(user.Env(),
                  "exec env MUTTER_DEBUG_RESET_IDLETIME=1 mutter --headless --wayland --no-x11 "
                  "--virtual-monitor 1024x768",
                  {},
                  15000,
                  [&] { return IdleMonitor("GetIdletime"); });
        }
    }
    // What stands for input in a session without input devices.
    void ResetIdletime() const { IdleMonitor("ResetIdletime"); }
    // Calls a method of mutter's idle monitor on the session's bus; true when it answered.
    bool IdleMonitor(const QString& method) const {
        return Call("org.gnome.Mutter.IdleMonitor",
                    "/org/gnome/Mutter/IdleMonitor/Core",
                    "org.gnome.Mutter.IdleMonitor." + method)
                   .Code == 0;
    }
};

// A stand-in for Cinnamon's window manager (tests/saver/FakeMuffin.py) on a private session bus,
// beside a display server of the test's: the idle monitor under Cinnamon's name.
class TFakeMuffin : public TBusSession {
public:
    TFakeMuffin(const TSessionUser& user, const QProcessEnvironment& env)
        : TBusSession(user, {}), FEnv(env) {
        if (RunProgram("/usr/bin/python3", {"-c", "import gi"}).Code == 0) {
            Start(env,
                  "exec /usr/bin/python3 \"$0\"",
                  {KAVRO_SOURCE_DIR "/tests/saver/FakeMuffin.py"},
                  10000,
                  [&] { return IdleMonitor("GetIdletime"); });
        }
    }
    QProcessEnvironment Env() const {
        QProcessEnvironment env = TBusSession::Env();
        for (const QString& key : FEnv.keys()) {
            if (!env.contains(key)) {
                env.insert(key, FEnv.value(key));
            }
        }
        env.insert("XDG_CURRENT_DESKTOP", "X-Cinnamon");
        return env;
    }
    // What stands for input.
    void ResetIdletime() const { IdleMonitor("ResetIdletime"); }
    bool IdleMonitor(const QString& method) const {
        return Call("org.cinnamon.Muffin.IdleMonitor",
                    "/org/cinnamon/Muffin/IdleMonitor/Core",
                    "org.cinnamon.Muffin.IdleMonitor." + method)
                   .Code == 0;
    }

private:
    QProcessEnvironment FEnv;
};

// Headless KWin 5.27 (KDE's compositor, `--virtual`, one 640 × 480 output) on a private session
// bus, with its screen locker's org.freedesktop.ScreenSaver. Its program carries a file
// capability that a container may refuse to grant, so a plain copy of it is run.
class TKWin : public TBusSession {
public:
    explicit TKWin(const TSessionUser& user) : TBusSession(user, "wayland-k") {
        const QString kwin = QStandardPaths::findExecutable("kwin_wayland");
        if (kwin.isEmpty()) {
            return;
        }
        const QString copy = user.Folder + "/kwin_wayland";
        QFile::copy(kwin, copy);
        QFile::setPermissions(copy, QFile::Permissions(0x7755));
        FLog = user.Folder + "/kwin.log";
        Start(user.Env(),
              "exec \"$0\" --virtual --socket wayland-k --width 640 --height 480 > \"$1\" 2>&1",
              {copy, FLog},
              20000,
              [&] {
                  return Call("org.freedesktop.ScreenSaver",
                              "/ScreenSaver",
                              "org.freedesktop.ScreenSaver.GetActive")
                             .Code == 0;
              });
    }
    QProcessEnvironment Env() const {
        QProcessEnvironment env = TBusSession::Env();
        env.insert("XDG_CURRENT_DESKTOP", "KDE");
        return env;
    }
    // What stands for input: the screen locker tells the compositor the user is active.
    void Activity() const {
        Call("org.freedesktop.ScreenSaver",
             "/ScreenSaver",
             "org.freedesktop.ScreenSaver.SimulateUserActivity",
             {});
    }
    // Whether a window of the saver program is in the compositor's full-screen state: a KWin
    // script lists the windows into the compositor's log.
    bool SaverFullScreen() {
        const QString mark = QString("kavro-%1").arg(++FAsked);
        const QString script = FUser.Folder + "/" + mark + ".js";
        QFile file(script);
        file.open(QIODevice::WriteOnly);
        file.write(("for (const w of workspace.clientList()) print('" + mark +
                    " ' + w.resourceClass + ' ' + w.fullScreen);\n")
                       .toUtf8());
        file.close();
        QFile::setPermissions(script, QFile::Permissions(0x7444));
        Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting.loadScript", {script, mark});
        Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting.start", {});
        bool fullScreen = false;
        Within(1000, [&] {
            QFile log(FLog);
            log.open(QIODevice::ReadOnly);
            const QString text = QString::fromUtf8(log.readAll());
            fullScreen = text.contains(mark + " kavro-saver true");
            return text.contains(mark + " ");
        });
        Call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting.unloadScript", {mark});
        return fullScreen;
    }

private:
    QString FLog;
    int FAsked = 0;
};

// Whether a process runs whose command line holds `part` (plain mutter gives no screenshots:
// the show's process is what can be seen of it).
// (`part` a string or a regular expression.)
template <typename TPart>
bool ProcessRuns(const TPart& part) {
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (pid.toInt() > 0 && cmdline.open(QIODevice::ReadOnly) &&
            QString::fromUtf8(cmdline.readAll()).replace(QChar(0), ' ').contains(part)) {
            return true;
        }
    }
    return false;
}
