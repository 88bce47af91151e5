// The show in a Wayland compositor that places windows itself: headless sway, two outputs.
#include <QTemporaryDir>

#include "saver/SaverFixture.h"
#include "saver/Sessions.h"

namespace {

class SwayTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        User = std::make_unique<TSessionUser>(FDir.path());
        Sway = std::make_unique<TSway>(*User);
        if (!Sway->Running) {
            GTEST_SKIP() << "headless sway cannot start here (is the package sway installed?)";
        }
        Show = QString::fromStdString(MakeShowFile(FDir.path(), "海边", {Qt::red, Qt::blue}));
    }
    // For each of the two outputs, "S" when a picture of the show (red or blue) reaches both
    // its corners, else "-".
    QString ShowCorners() {
        const QImage shot = Sway->Screenshot();
        QString outputs;
        for (const int left : {0, 640}) {
            const QRgb corner = shot.pixel(left + 2, 2);
            const bool show = (corner == qRgb(255, 0, 0) || corner == qRgb(0, 0, 255)) &&
                              shot.pixel(left + 637, 477) == corner;
            outputs += show ? "S" : "-";
        }
        return outputs;
    }
    QTemporaryDir FDir;
    std::unique_ptr<TSessionUser> User;
    std::unique_ptr<TSway> Sway;
    QString Show;
};

}  // namespace

TEST_F(SwayTest, PlayIsFullScreenOnEveryOutput) {
    auto player = StartAs(*User, Sway->Env(), Show, {"--play"});
    EXPECT_TRUE(Within(8000, [&] { return Sway->FullScreenOutputs().size() == 2; }))
        << Sway->FullScreenOutputs().join(",").toStdString();
    EXPECT_EQ(Sway->FullScreenOutputs(), (QStringList{"HEADLESS-1", "HEADLESS-2"}));
    // No title bar, panel or gap: the picture reaches each output's corners.
    // Under load the first picture and its transition may take a few seconds.
    EXPECT_TRUE(Within(10000, [&] { return ShowCorners() == "SS"; }))
        << ShowCorners().toStdString();
    // An output that comes while the show plays gets its window too.
    Sway->Msg({"create_output"});
    EXPECT_TRUE(Within(8000, [&] { return Sway->FullScreenOutputs().size() == 3; }))
        << Sway->FullScreenOutputs().join(",").toStdString();
    player->terminate();
    EXPECT_TRUE(player->waitForFinished(5000)) << player->readAll().toStdString();
}
