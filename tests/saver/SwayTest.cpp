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
    // Which of the two outputs show the show's first picture at both their corners.
    QString RedCorners() {
        const QImage shot = Sway->Screenshot();
        QString outputs;
        for (const int left : {0, 640}) {
            const bool red = shot.pixel(left + 2, 2) == qRgb(255, 0, 0) &&
                             shot.pixel(left + 637, 477) == qRgb(255, 0, 0);
            outputs += red ? "R" : "-";
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
    EXPECT_TRUE(Within(4000, [&] { return RedCorners() == "RR"; })) << RedCorners().toStdString();
    player->terminate();
    EXPECT_TRUE(player->waitForFinished(5000)) << player->readAll().toStdString();
}
