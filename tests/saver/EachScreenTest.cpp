// "每个屏幕显示不同的图片" on a compositor with two outputs: --play shows a different picture on
// each at the same moment. Runs a headless sway and the saver as nobody when the tests run as
// root, as the compositor refuses root.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "pack/BuildInstaller.h"
#include "saver/Sessions.h"
#include "settings/ShowExtras.h"

namespace {

TEST(EachScreen, PlayShowsDifferentPicturesOnTwoOutputs) {
    QTemporaryDir dir;
    const TSessionUser user(dir.path());
    TSway sway(user);
    if (!sway.Running || !HasProgram("grim")) {
        GTEST_SKIP() << "needs headless sway and grim";
    }
    const QString base = dir.path();
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

    QProcessEnvironment client = sway.Env();
    client.insert("QT_QPA_PLATFORM", "wayland");
    auto saver = StartAs(user,
                         client,
                         KAVRO_BUILD_DIR "/src/saver/kavro_saver",
                         {"--play", QString::fromStdString(show)});
    ASSERT_EQ(saver->state(), QProcess::Running);

    // Both outputs in one shot, so that both show the same moment.
    QImage shot;
    QRgb left = 0, right = 0;
    Within(15000, [&] {
        shot = sway.Screenshot();
        if (shot.width() != 1280) {
            return false;
        }
        left = shot.pixel(320, 240);
        right = shot.pixel(960, 240);
        return qRed(left) > 200 && qBlue(right) > 200;
    });
    saver->kill();
    saver->waitForFinished();
    ASSERT_EQ(shot.width(), 1280);
    EXPECT_GT(qRed(left), 200) << std::hex << left;
    EXPECT_LT(qBlue(left), 60) << std::hex << left;
    EXPECT_GT(qBlue(right), 200) << std::hex << right;
    EXPECT_LT(qRed(right), 60) << std::hex << right;
}

}  // namespace
