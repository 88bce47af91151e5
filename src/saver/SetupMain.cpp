// The installer program (ui.dat), started by the first stage from an installer file: a window
// to play, install or uninstall the file's show, or the same from the command line.
#include <QApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pack/InstallerReader.h"
#include "saver/FileShow.h"
#include "saver/ShowInstaller.h"
#include "saver/uSetup.h"

namespace {

const char Usage[] =
    "用法 / usage:\n"
    "  <屏保文件>                       打开安装窗口 (open the installer window)\n"
    "  <屏保文件> --play                全屏放映 (play full screen)\n"
    "  <屏保文件> --install [--select]  安装为屏幕保护；--select 同时设为当前屏保\n"
    "                                   (install as a screensaver; --select makes it current)\n"
    "  <屏保文件> --uninstall           卸载 (uninstall)\n"
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

std::string IconPng() {
    QFile icon(QStringLiteral(":/kavro.png"));
    return icon.open(QIODevice::ReadOnly) ? icon.readAll().toStdString() : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    enum { Window, Play, Install, Uninstall } mode = Window;
    bool select = false;
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
        } else if (a == "--select") {
            select = true;
        } else {
            std::fprintf(stderr, "未知的参数 (unknown argument): %s\n%s", a.c_str(), Usage);
            return 2;
        }
    }
    if (select && mode != Install) {
        std::fprintf(stderr, "--select 只能与 --install 同用 (only with --install)\n%s", Usage);
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

    if (mode == Install || mode == Uninstall) {
        QCoreApplication app(argc, argv);
        TInstallEnvironment environment = TInstallEnvironment::FromProcess();
        environment.IconPng = IconPng();
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
