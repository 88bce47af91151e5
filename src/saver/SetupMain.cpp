// The installer program (ui.dat), started by the first stage from an installer file: a window
// to play, install or uninstall the file's show, or the same from the command line.
#include <QApplication>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "pack/InstallerReader.h"
#include "saver/FileShow.h"
#include "saver/ShowInstaller.h"
#include "saver/ShowStatus.h"
#include "saver/uSetup.h"

namespace {

const char Usage[] =
    "用法 / usage:\n"
    "  <屏保文件>                       打开安装窗口 (open the installer window)\n"
    "  <屏保文件> --play                全屏放映 (play full screen)\n"
    "  <屏保文件> --install [--select] [--idle-after 秒] [--keep-screen-on 分钟]\n"
    "                                   安装为屏幕保护；--select 同时设为当前屏保；\n"
    "                                   --idle-after 闲置多少秒后开始放映（默认为桌面\n"
    "                                   锁屏时间的一半）；--keep-screen-on 放映时最多\n"
    "                                   多少分钟推迟桌面的锁屏（默认不推迟）\n"
    "                                   (install as a screensaver; --select makes it current;\n"
    "                                   --idle-after: seconds of idle time before the show;\n"
    "                                   --keep-screen-on: minutes the show delays the lock)\n"
    "  <屏保文件> --uninstall           卸载 (uninstall)\n"
    "  <屏保文件> --status              显示安装状态 (installed hosts, current show, delay,\n"
    "                                   watcher, playing)\n"
    "  <屏保文件> --help\n";

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return true;
        }
    }
    return false;
}

// One clear line for the terminal.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return text;
}

// A whole number from min to max, the whole argument.
std::optional<int> WholeNumber(const char* text, int min, int max) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (!*text || *end || errno || value < min || value > max) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::string IconPng() {
    QFile icon(QStringLiteral(":/kavro.png"));
    return icon.open(QIODevice::ReadOnly) ? icon.readAll().toStdString() : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    enum { Window, Play, Install, Uninstall, Status } mode = Window;
    bool select = false;
    TWatchOptions watch;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (a == "--play" && mode == Window) {
            mode = Play;
        } else if (a == "--install" && mode == Window) {
            mode = Install;
        } else if (a == "--uninstall" && mode == Window) {
            mode = Uninstall;
        } else if (a == "--status" && mode == Window) {
            mode = Status;
        } else if (a == "--select") {
            select = true;
        } else if (a == "--idle-after" || a == "--keep-screen-on") {
            const bool delay = a == "--idle-after";
            const std::optional<int> value =
                i + 1 < argc ? WholeNumber(argv[i + 1], delay ? 1 : 0, delay ? 86400 : 1440)
                             : std::nullopt;
            if (!value) {
                std::fprintf(stderr,
                             "%s 需要一个%s (needs %s)\n%s",
                             a.c_str(),
                             delay ? "1 到 86400 之间的秒数" : "0 到 1440 之间的分钟数",
                             delay ? "seconds, 1 to 86400" : "minutes, 0 to 1440",
                             Usage);
                return 2;
            }
            (delay ? watch.IdleAfterSeconds : watch.KeepScreenOnMinutes) = value;
            ++i;
        } else {
            std::fprintf(stderr, "未知的参数 (unknown argument): %s\n%s", a.c_str(), Usage);
            return 2;
        }
    }
    if ((select || watch.IdleAfterSeconds || watch.KeepScreenOnMinutes) && mode != Install) {
        std::fprintf(stderr,
                     "--select、--idle-after 和 --keep-screen-on 只能与 --install 同用 "
                     "(only with --install)\n%s",
                     Usage);
        return 2;
    }
    if ((mode == Window || mode == Play) && !HasDisplay()) {
        std::fprintf(stderr,
                     "没有图形界面，无法%s；可以在命令行上安装或卸载 "
                     "(no display: use --install or --uninstall)\n%s",
                     mode == Play ? "放映" : "打开安装窗口",
                     Usage);
        return 2;
    }

    const char* showFile = std::getenv("KAVRO_SHOW_FILE");
    TInstallerReader reader;
    try {
        if (!showFile || !*showFile) {
            throw std::runtime_error("不知道要安装哪个屏保文件：请直接运行屏保文件。");
        }
        reader.Open(showFile);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", OneLine(error.what()).c_str());
        return 1;
    }

    if (mode == Status) {
        TShowInstaller installer(reader, TInstallEnvironment::FromProcess());
        std::fputs(StatusText(installer).c_str(), stdout);
        return 0;
    }
    if (mode == Install || mode == Uninstall) {
        QCoreApplication app(argc, argv);
        TInstallEnvironment environment = TInstallEnvironment::FromProcess();
        environment.IconPng = IconPng();
        environment.Watch = watch;
        try {
            TShowInstaller installer(reader, environment);
            const std::string message =
                mode == Install ? installer.Install(select) : installer.Uninstall();
            std::printf("%s\n", message.c_str());
            return 0;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", OneLine(error.what()).c_str());
            return 1;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavro"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kavro.png")));
    if (mode == Play) {
        const std::string failure = PlayShowFullScreen(reader);
        if (!failure.empty()) {
            std::fprintf(stderr, "%s\n", OneLine(failure).c_str());
            return 1;
        }
        return 0;
    }
    TInstallEnvironment environment = TInstallEnvironment::FromProcess();
    environment.IconPng = IconPng();
    TfrmSetup frmSetup(reader, environment, [&reader] { return PlayShowFullScreen(reader); });
    frmSetup.show();
    return app.exec();
}
