// Shows made with `kavro --create` and played on a plain X server, full screen or in a host's
// window: what the screen shows during effects 21 to 23, at the chosen transition time, with pan
// and zoom and with the blurred background. The machine may be busy: the screen is sampled as often
// as it answers and times are compared with room to spare.
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "saver/SaverFixture.h"
#include "saver/Sessions.h"

namespace {

constexpr QRgb Red = 0xFF0000, Blue = 0x0000FF;

bool Near(QRgb c, QRgb want) {
    return std::abs(qRed(c) - qRed(want)) + std::abs(qGreen(c) - qGreen(want)) +
               std::abs(qBlue(c) - qBlue(want)) <=
           12;
}
// Far more red than blue, or the other way round: one picture showing through the other.
bool Reddish(QRgb c) {
    return qRed(c) > qBlue(c) + 100 && qGreen(c) < 40;
}
bool Bluish(QRgb c) {
    return Reddish(qRgb(qBlue(c), qGreen(c), qRed(c)));
}
bool Black(QRgb c) {
    return c == 0xFF000000;
}
// The pixels of shot within r (all of it when r is empty) for which pred holds.
template <typename F>
int Count(const QImage& shot, F pred, QRect r = {}) {
    r = r.isEmpty() ? shot.rect() : r;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            n += pred(shot.pixel(x, y));
        }
    }
    return n;
}

class ShowOnXTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        if (X.Display.isEmpty()) {
            GTEST_SKIP() << "Xvfb cannot start here";
        }
        Screen = std::make_unique<TXWindow>(X.Display, 1, 1);
    }
    void TearDown() override { Stop(); }

    QString Picture(const QString& name, const QImage& image) {
        const QString file = FDir.filePath(name);
        image.save(file);
        return file;
    }
    QString Solid(const QString& name, QColor colour, int w = 64, int h = 48) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        return Picture(name, image);
    }
    // Makes a show of the pictures with `kavro --create` and the options (split at spaces), and
    // plays it until Stop: full screen, or hosted by the saver in a window of the screen's size
    // as xscreensaver would have it.
    void Play(const QString& options, const QStringList& pictures, bool hosted = false) {
        Stop();
        const QString show = FDir.filePath(QStringLiteral("show%1.run").arg(++FShows));
        const TRunResult made =
            RunProgram(KAVRO_BUILD_DIR "/kavro",
                       QStringList{"--create", show} << options.split(' ') << "--" << pictures,
                       QProcessEnvironment::systemEnvironment(),
                       60);
        ASSERT_EQ(made.Code, 0) << made.Output.toStdString();
        FPlayer = std::make_unique<QProcess>();
        FPlayer->setProcessEnvironment(X.Env());
        if (hosted) {
            FHost = std::make_unique<TXWindow>(X.Display, 640, 480);
            FPlayer->start(KAVRO_BUILD_DIR "/ss.dat",
                           {"--window-id", QString::number(FHost->Id), show});
        } else {
            FPlayer->start(show, {"--play"});
        }
        ASSERT_TRUE(FPlayer->waitForStarted(5000));
    }
    void Stop() {
        if (FPlayer) {
            FPlayer->kill();
            FPlayer->waitForFinished(5000);
            FPlayer.reset();
        }
    }
    // The screen until pred holds for a screenshot (at most `ms`); that screenshot, or a null one.
    template <typename F>
    QImage ShotWhen(int ms, F pred) {
        QImage shot;
        return Within(ms, [&] { return pred(shot = Screen->Screenshot()); }) ? shot : QImage();
    }
    // How long the screen's centre took from the last sample of one picture's colour to the
    // first of the other's, for the next three transitions between red and blue: the middle of
    // the three in milliseconds, 0 when there were fewer; `mixedEach` whether each passed through
    // colours of both.
    double MiddleTransition(bool& mixedEach) {
        std::vector<double> spans;
        QElapsedTimer clock;
        clock.start();
        bool red = false, pure = false, left = false, mixed = false;
        double pureAt = 0;
        mixedEach = true;
        while (spans.size() < 3 && clock.elapsed() < 40000) {
            const QRgb c = Screen->Pixel(320, 240);
            const double now = clock.nsecsElapsed() / 1e6;
            if (Near(c, Red) || Near(c, Blue)) {
                if (pure && left && red != Near(c, Red)) {
                    spans.push_back(now - pureAt);
                    mixedEach = mixedEach && mixed;
                }
                red = Near(c, Red);
                pure = true;
                left = mixed = false;
                pureAt = now;
            } else {
                left = true;
                mixed = mixed || (qRed(c) > 40 && qBlue(c) > 40 && qGreen(c) < 30);
            }
            QThread::msleep(5);
        }
        std::sort(spans.begin(), spans.end());
        return spans.size() == 3 ? spans[1] : 0;
    }

    QTemporaryDir FDir;
    TXServer X;
    std::unique_ptr<TXWindow> Screen;
    std::unique_ptr<TXWindow> FHost;
    std::unique_ptr<QProcess> FPlayer;
    int FShows = 0;
};

// Red to blue and back by crossfade: the centre passes through colours of both for about the
// chosen time, and twice as long at two seconds as at one.
TEST_F(ShowOnXTest, CrossfadeMixesAtTheCentreForTheChosenTime) {
    const QStringList pictures = {Solid("r.png", Qt::red), Solid("b.png", Qt::blue)};
    double ms[3] = {};
    for (const int seconds : {1, 2}) {
        Play(QStringLiteral("--effects 21 --transition-seconds %1 --interval 1 --size fit "
                            "--background 000000")
                 .arg(seconds),
             pictures);
        bool mixed = false;
        ms[seconds] = MiddleTransition(mixed);
        EXPECT_TRUE(mixed) << seconds;
        EXPECT_GT(ms[seconds], 700 * seconds) << seconds;
        EXPECT_LT(ms[seconds], 1600 * seconds) << seconds;
    }
    EXPECT_GT(ms[2], 1.5 * ms[1]) << ms[1] << " ms, " << ms[2] << " ms";
    EXPECT_LT(ms[2], 2.6 * ms[1]) << ms[1] << " ms, " << ms[2] << " ms";
}

class BothPicturesTest : public ShowOnXTest, public testing::WithParamInterface<const char*> {};

// A push and a zoom-fade show the old picture and the new one in one frame: a push side by
// side, a zoom-fade the old one round the growing new one.
TEST_P(BothPicturesTest, OneFrameShowsRedAndBlue) {
    Play(QStringLiteral("--effects %1 --transition-seconds 2 --interval 1 --size fit")
             .arg(GetParam()),
         {Solid("r.png", Qt::red), Solid("b.png", Qt::blue)});
    const QImage both = ShotWhen(30000, [](const QImage& shot) {
        return Count(shot, Reddish) > 1000 && Count(shot, Bluish) > 1000;
    });
    EXPECT_FALSE(both.isNull());
}

INSTANTIATE_TEST_SUITE_P(Effects,
                         BothPicturesTest,
                         testing::Values("22", "23"),
                         [](const auto& info) { return "Effect" + std::string(info.param); });

class MotionTest : public ShowOnXTest, public testing::WithParamInterface<bool> {};

// Within one picture's interval the picture moves while its caption, green letters on the black
// background colour over a checkerboard of neither, stays as it is.
TEST_P(MotionTest, PanAndZoomMovesThePictureUnderAStillCaption) {
    QImage checker(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            checker.setPixel(x, y, (x / 4 + y / 4) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        }
    }
    Play(
        "--motion --effects 10 --transition-seconds 0.5 --interval 8 --size fit --background "
        "000000 --caption 1 MOVINGWWW",
        {Picture("checker.png", checker)},
        GetParam());
    // The effect has ended when none of the background is left below the caption, whose
    // letters are written on it.
    const QImage first = ShotWhen(15000, [](const QImage& shot) {
        return Count(shot, Black, {0, 60, 640, 420}) == 0;
    });
    ASSERT_FALSE(first.isNull());
    QElapsedTimer clock;
    clock.start();
    QThread::msleep(2500);
    const QImage second = Screen->Screenshot();
    ASSERT_LT(clock.elapsed(), 5000) << "the second moment fell in the next interval";
    // The caption is the box of background colour its letters are written in.
    QRect caption;
    for (int y = 1; y < 60; ++y) {
        for (int x = 0; x < first.width(); ++x) {
            caption |= Black(first.pixel(x, y)) ? QRect(x, y, 1, 1) : QRect();
        }
    }
    int ink = 0, captionMoved = 0, moved = 0;
    for (int y = 1; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            const QRgb a = first.pixel(x, y), b = second.pixel(x, y);
            if (caption.contains(x, y)) {
                ink += a == 0xFF00FF00;
                captionMoved += b != a;
            } else {
                moved += !Near(a, b);
            }
        }
    }
    EXPECT_GT(caption.width() * caption.height(), 500);
    EXPECT_GT(ink, 3);
    EXPECT_EQ(captionMoved, 0);
    EXPECT_GT(moved, 640 * 480 / 30);
}

INSTANTIATE_TEST_SUITE_P(Players, MotionTest, testing::Bool(), [](const auto& info) {
    return info.param ? "Hosted" : "FullScreen";
});

// A portrait picture fitted to the landscape screen: beside it its blurred, darkened orange
// with the blurred background, the background colour without it.
class FillTest : public ShowOnXTest, public testing::WithParamInterface<const char*> {};

TEST_P(FillTest, BesideAPortraitPicture) {
    const bool blur = GetParam() == std::string("blur");
    Play(QStringLiteral("--fill %1 --size fit --background 0000FF --interval 10").arg(GetParam()),
         {Solid("portrait.png", QColor(240, 120, 0), 30, 60)});
    // The effect has ended when the points beside the picture show what they will.
    auto beside = [&](const QImage& shot) {
        for (const int x : {20, 150, 490, 620}) {
            const QRgb c = shot.pixel(x, 240);
            const bool orange =
                qRed(c) > 100 && qGreen(c) > 40 && qGreen(c) < qRed(c) - 40 && qBlue(c) < 30;
            if (blur ? !orange : !Near(c, Blue)) {
                return false;
            }
        }
        return Near(shot.pixel(320, 240), qRgb(240, 120, 0));
    };
    const QImage shot = ShotWhen(15000, beside);
    EXPECT_FALSE(shot.isNull()) << std::hex << Screen->Pixel(20, 240) << " "
                                << Screen->Pixel(620, 240);
}

INSTANTIATE_TEST_SUITE_P(Fills, FillTest, testing::Values("blur", "colour"), [](const auto& info) {
    return std::string(info.param);
});

}  // namespace
