// "每个屏幕显示不同的图片" on a compositor with two outputs: --play shows a different picture on
// each at the same moment. Runs a headless sway and the saver as nobody when the tests run as
// root, as the compositor refuses root.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "pack/BuildInstaller.h"
#include "settings/ShowExtras.h"

namespace {

QStringList AsUser(const QString& program, const QStringList& args) {
    QStringList line;
    if (geteuid() == 0) {
        line << "setpriv"
             << "--reuid=65534"
             << "--regid=65534"
             << "--clear-groups";
    }
    return line << program << args;
}

TEST(EachScreen, PlayShowsDifferentPicturesOnTwoOutputs) {
    for (const char* tool : {"sway", "grim", "setpriv"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            GTEST_SKIP() << tool << " is not installed";
        }
    }
    QTemporaryDir dir;
    const QString base = dir.path();
    QFile::setPermissions(base, QFile::Permissions(0x7777));
    QDir(base).mkpath("run");
    QDir(base).mkpath("home");
    QFile::setPermissions(base + "/home", QFile::Permissions(0x7777));
    const QByteArray run = QFile::encodeName(base + "/run");
    if (geteuid() == 0) {
        ASSERT_EQ(chown(run.constData(), 65534, 65534), 0);
    }
    chmod(run.constData(), 0700);
    QFile config(base + "/sway.config");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(
        "output HEADLESS-1 resolution 640x480 position 0 0\n"
        "output HEADLESS-2 resolution 640x480 position 640 0\n"
        "default_border none\n"
        "xwayland disable\n");
    config.close();
    QFile::setPermissions(config.fileName(), QFile::Permissions(0x6444));

    // Red, blue and green in list order, shown in order: screen 2 is one picture ahead.
    std::vector<std::string> pictures;
    for (const auto& [name, colour] :
         {std::pair{"r.png", Qt::red}, {"b.png", Qt::blue}, {"g.png", Qt::green}}) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(colour);
        image.save(base + "/" + name);
        pictures.push_back((base + "/" + name).toStdString());
    }
    TSaverSettings settings;
    InitSaverSettings(settings);
    settings.PictureCount = 3;
    settings.SequentialOrder = 1;
    settings.StretchImages = 1;
    settings.IntervalSeconds = 60;
    TShowExtras extras;
    extras.EachScreenDifferent = true;
    WriteShowExtras(settings, extras);
    const std::string show = (base + "/show.run").toStdString();
    BuildInstaller(
        show, "T", "/nonexistent/", settings, pictures, "", base.toStdString() + "/", [] {});
    QFile::setPermissions(QString::fromStdString(show), QFile::Permissions(0x6444));

    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
    env.insert("HOME", base + "/home");
    env.insert("XDG_RUNTIME_DIR", base + "/run");
    env.insert("SDL_AUDIODRIVER", "dummy");
    QProcessEnvironment swayEnv = env;
    swayEnv.insert("WLR_BACKENDS", "headless");
    swayEnv.insert("WLR_LIBINPUT_NO_DEVICES", "1");
    swayEnv.insert("WLR_RENDERER", "pixman");
    swayEnv.insert("WLR_HEADLESS_OUTPUTS", "2");
    QProcess sway;
    sway.setProcessEnvironment(swayEnv);
    const QStringList swayLine = AsUser("sway", {"-c", config.fileName()});
    sway.start(swayLine.first(), swayLine.mid(1));
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(base + "/run/wayland-1") && clock.elapsed() < 10000) {
        QThread::msleep(50);
    }
    if (!QFile::exists(base + "/run/wayland-1")) {
        sway.kill();
        sway.waitForFinished();
        GTEST_SKIP() << "sway did not start";
    }
    QProcessEnvironment client = env;
    client.insert("WAYLAND_DISPLAY", "wayland-1");
    client.insert("QT_QPA_PLATFORM", "wayland");
    QProcess saver;
    saver.setProcessEnvironment(client);
    const QStringList saverLine = AsUser(QStringLiteral(KAVRO_BUILD_DIR "/src/saver/kavro_saver"),
                                         {"--play", QString::fromStdString(show)});
    saver.start(saverLine.first(), saverLine.mid(1));
    ASSERT_TRUE(saver.waitForStarted(5000));

    // Both outputs in one shot, so that both show the same moment.
    QImage shot;
    QRgb left = 0, right = 0;
    clock.restart();
    while (clock.elapsed() < 15000) {
        QThread::msleep(300);
        QFile::remove(base + "/home/shot.png");
        QProcess grim;
        grim.setProcessEnvironment(client);
        const QStringList grimLine = AsUser("grim", {base + "/home/shot.png"});
        grim.start(grimLine.first(), grimLine.mid(1));
        grim.waitForFinished(5000);
        shot = QImage(base + "/home/shot.png");
        if (shot.width() == 1280) {
            left = shot.pixel(320, 240);
            right = shot.pixel(960, 240);
            if (qRed(left) > 200 && qBlue(right) > 200) {
                break;
            }
        }
    }
    saver.kill();
    saver.waitForFinished();
    sway.terminate();
    if (!sway.waitForFinished(3000)) {
        sway.kill();
        sway.waitForFinished();
    }
    ASSERT_EQ(shot.width(), 1280);
    EXPECT_GT(qRed(left), 200) << std::hex << left;
    EXPECT_LT(qBlue(left), 60) << std::hex << left;
    EXPECT_GT(qBlue(right), 200) << std::hex << right;
    EXPECT_LT(qRed(right), 60) << std::hex << right;
}

}  // namespace
