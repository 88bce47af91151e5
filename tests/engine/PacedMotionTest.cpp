#include <gtest/gtest.h>

#include "PacedShowFixture.h"

namespace {

// ---- Effects 21 to 23, the transition time, pan and zoom, the blurred background

struct TTimedCase {
    int Effect;
    int HalfSeconds;
};

class TimedEffectTest : public PacedShowTest, public ::testing::WithParamInterface<TTimedCase> {};

// A red picture, then a blue one: the effect lasts the chosen time, and while it runs the
// screen shows both: mixed colour at the centre for a crossfade and a zoom-fade, red and blue
// side by side for a push.
TEST_P(TimedEffectTest, RedToBlueTakesTheChosenTimeAndShowsBoth) {
    const auto [effect, halfSeconds] = GetParam();
    OnlyEffect(effect);
    More.TransitionHalfSeconds = halfSeconds;
    Given = {Solid(Red, 60, 40), Solid(Blue, 60, 40)};
    Make(60, 40, 2, true);
    Tick();
    ASSERT_EQ(Target->Pixel(30, 20), Red);
    ASSERT_TRUE(Timer().Fire());
    double ms = 0, mixedMs = 0;
    bool bothSeen = false;
    while (Clock().Started) {
        ASSERT_LT(ms, 10000);
        Clock().Frame(10);
        ms += 10;
        const TColor centre = Target->Pixel(30, 20);
        mixedMs += Between(centre) ? 10 : 0;
        bool red = false, blue = false;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 60; ++x) {
                red = red || Target->Pixel(x, y) == Red;
                blue = blue || Target->Pixel(x, y) == Blue;
            }
        }
        bothSeen = bothSeen || (red && blue) || (Between(centre) && (red || effect == 21));
    }
    const double chosen = 500.0 * halfSeconds;
    EXPECT_EQ(ms, chosen);
    EXPECT_EQ(Target->Pixel(30, 20), Blue);
    EXPECT_EQ(Revealed(-1), 60 * 40);
    EXPECT_TRUE(bothSeen);
    if (effect == efCrossfade || effect == efZoomFade) {
        EXPECT_GE(mixedMs, chosen * 0.9);
    }
    EXPECT_TRUE(Timer().Enabled());
    EXPECT_EQ(Timer().Interval(), 5000u);
}

INSTANTIATE_TEST_SUITE_P(Effects,
                         TimedEffectTest,
                         ::testing::Values(TTimedCase{21, 2},
                                           TTimedCase{21, 4},
                                           TTimedCase{22, 2},
                                           TTimedCase{23, 2},
                                           TTimedCase{23, 6},
                                           TTimedCase{9, 1},
                                           TTimedCase{9, 4}));

// With effects 21 to 23 allowed beside the twenty, the choice draws among all 23 (with the
// twenty alone it draws exactly as before: the tests above); the new effects take nothing from
// the generator beyond their choice. 21 and 23 are the ones that mix by filtered drawing.
TEST_F(PacedShowTest, MoreEffectsTakePartInTheRandomChoice) {
    OnlyEffect(0);
    More.MoreTransitions[0] = More.MoreTransitions[1] = More.MoreTransitions[2] = true;
    Make(30, 20, 2, true);
    std::set<int> seen;
    for (int i = 0; i < 60; ++i) {
        const uint32_t before = RandSeed;
        const int effect = Random(efLast) + 1;
        const uint32_t afterChoice = RandSeed;
        RandSeed = before;
        const size_t calls = Target->Calls.size(), changed = Target->ChangedRects.size();
        Tick({40});
        seen.insert(effect);
        const bool mixed = Target->ChangedRects.size() - changed > Target->Calls.size() - calls;
        EXPECT_EQ(mixed, effect == efCrossfade || effect == efZoomFade) << effect;
        if (effect != 17 && effect != 18) {
            EXPECT_EQ(RandSeed, afterChoice) << effect;
        }
    }
    EXPECT_GE(seen.count(21) + seen.count(22) + seen.count(23), 2u);
    EXPECT_GE(seen.size(), 15u);
}

// Pixels of r (the whole image when empty) whose channels differ by more than tolerance in all.
int Apart(const QImage& a, const QImage& b, int tolerance = 0, QRect r = {}) {
    r = r.isEmpty() ? a.rect() : r;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            n += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                     std::abs(p.blue() - q.blue()) >
                 tolerance;
        }
    }
    return n;
}

struct TStillCase {
    bool Date;     // the date in the bottom right corner, else a caption at the top centre
    QRect Region;  // where it lies on the 200 x 120 screen
    QRgb Ink;      // the colour of its letters
};

class StillPartsTest : public PacedShowTest, public ::testing::WithParamInterface<TStillCase> {};

// The start, the middle and the end of one interval: the picture has moved and grown or
// shrunk, the letters of the caption or the date have not. The movement takes nothing from
// Random: the one effect's choice is all the show draws.
TEST_P(StillPartsTest, PanAndZoomMovesThePictureUnderStillLetters) {
    const TStillCase c = GetParam();
    More.PanZoom = true;
    if (c.Date) {
        More.ShowDates = true;
        More.DateCorner = tpBottomRight;
        Given = {Picture(0, 200, 120)};
        Given[0]->TakenOn = TDateTaken(2024, 5, 3);
    } else {
        WriteFieldUtf8(Settings.PictureTexts[0].Text, "Caption");
        Settings.PictureTexts[0].Font.Size = 14;
    }
    Make(200, 120, 1, true);
    QImage moments[3];
    ASSERT_TRUE(Timer().Fire());
    for (int k = 0; Clock().Started; ++k) {
        if (!Timer().Enabled()) {
            k = 0;  // the effect: the interval starts at its end
        }
        if (k == 1 || k == 126) {
            moments[k / 126] = *Target->Image();
        }
        Clock().Frame(20);
    }
    moments[2] = *Target->Image();
    const QRect picture(0, 40, 200, 50);
    EXPECT_GT(Apart(moments[0], moments[1], 0, picture), 2000);
    EXPECT_GT(Apart(moments[1], moments[2], 0, picture), 2000);
    int ink = 0, moved = 0;
    for (int y = c.Region.top(); y <= c.Region.bottom(); ++y) {
        for (int x = c.Region.left(); x <= c.Region.right(); ++x) {
            if (moments[0].pixel(x, y) == c.Ink) {
                ++ink;
                moved += moments[1].pixel(x, y) != c.Ink || moments[2].pixel(x, y) != c.Ink;
            }
        }
    }
    EXPECT_GT(ink, 3);
    EXPECT_EQ(moved, 0);
    const uint32_t seed = RandSeed;
    RandSeed = 0;
    while (Random(TransitionCount) != 8) {
    }
    EXPECT_EQ(seed, RandSeed);
}

INSTANTIATE_TEST_SUITE_P(
    Parts,
    StillPartsTest,
    ::testing::Values(TStillCase{false, QRect(90, 16, 20, 12), qRgb(0, 255, 0)},
                      TStillCase{true, QRect(100, 95, 100, 25), qRgb(255, 255, 255)}));

// The next effect starts from where the movement left the picture, not from its place at rest:
// the crossfade's first frame is the last frame of the movement with a trace of the next
// picture in it.
TEST_F(PacedShowTest, NextEffectStartsFromTheMovingPicturesLastFrame) {
    More.PanZoom = true;
    OnlyEffect(efCrossfade);
    Make(200, 120, 2, true);
    ASSERT_TRUE(Timer().Fire());
    while (!Timer().Enabled()) {
        Clock().Frame(20);
    }
    const QImage rest = *Target->Image();
    while (Clock().Started) {
        Clock().Frame(20);
    }
    const QImage last = *Target->Image();
    ASSERT_TRUE(Timer().Fire());
    Clock().Frame(10);
    EXPECT_EQ(Apart(*Target->Image(), last, 12), 0);
    EXPECT_GT(Apart(*Target->Image(), rest, 12), 2000);
}

// A picture with more pixels than the screen moves from a copy the worker makes at the size the
// movement shows it; it ends where the same show decoded on the user-interface thread ends,
// within what the filtering changes.
TEST_F(PacedShowTest, DecodedMovingPictureEndsWhereTheHolderOneDoes) {
    More.PanZoom = true;
    auto smooth = std::make_shared<TBitmap>(400, 240);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 400; ++x) {
            smooth->SetPixel(x, y, RGBColor(x * 255 / 400, y * 255 / 240, 100));
        }
    }
    QImage ends[2];
    for (bool decoded : {false, true}) {
        Given = {smooth};
        RandSeed = 0;
        Make(200, 120, 1, true, decoded);
        Tick();
        ends[decoded] = *Target->Image();
        TCbScreenSaver::Stop(Owner);
    }
    EXPECT_LT(Apart(ends[0], ends[1], 9), 200 * 120 / 100);
    EXPECT_NE(ends[1].pixelColor(100, 60), QColor(Settings.BackColor));
}

struct TBlurCase {
    bool Decoded;
    bool Moving;
};

class BlurTest : public PacedShowTest, public ::testing::WithParamInterface<TBlurCase> {};

// A portrait picture on a wide screen: beside it the blurred, darkened picture, not the
// background colour; decoded on the worker or on the user-interface thread, still or moving.
TEST_P(BlurTest, PortraitPictureHasItsColoursBesideIt) {
    More.Fill = TShowExtras::fmBlur;
    More.PanZoom = GetParam().Moving;
    Settings.BackColor = RGBColor(0, 0, 255);
    Given = {Solid(RGBColor(240, 120, 0), 45, 90)};
    Make(160, 90, 1, true, GetParam().Decoded);
    Tick();
    for (int x : {2, 30, 130, 157}) {
        const TColor c = Target->Pixel(x, 45);
        EXPECT_NE(c, Settings.BackColor) << x;
        // Two thirds of the picture's orange.
        EXPECT_NEAR(ColorRed(c), 160, 4) << x;
        EXPECT_NEAR(ColorGreen(c), 80, 4) << x;
        EXPECT_LE(ColorBlue(c), 2) << x;
    }
    EXPECT_EQ(Target->Pixel(80, 45), RGBColor(240, 120, 0));
}

INSTANTIATE_TEST_SUITE_P(Paths,
                         BlurTest,
                         ::testing::Values(TBlurCase{false, false},
                                           TBlurCase{true, false},
                                           TBlurCase{true, true}));

struct TPathCase {
    double W, H;  // of the picture at rest, centred on a 1600 x 900 target
    bool Pans;
    double Scale;  // of the panning picture, against its size at rest
};

class PanZoomPathTest : public ::testing::TestWithParam<TPathCase> {};

// A picture of about the screen's shape grows or shrinks by a tenth, one edge or corner in
// place, and keeps covering what it covered at rest; one far from it is shown larger and pans
// from one end of its long side to the other, 300 pixels at most (five seconds at a pixel a
// frame). At 30 frames a second over those five seconds, a zooming picture's corners move
// little more than a pixel a frame.
TEST_P(PanZoomPathTest, WayOverTheInterval) {
    const auto [w, h, pans, scale] = GetParam();
    const TCePanZoom::TPlace rest{(1600 - w) / 2, (900 - h) / 2, w, h};
    std::mt19937 random(1);
    auto picture = Solid(Red, 8, 8);
    std::set<std::vector<double>> ways;
    for (int run = 0; run < 64; ++run) {
        TCePanZoom motion;
        motion.Begin(picture, rest, nullptr, 1600, 900, 300, random);
        ASSERT_TRUE(motion.Active());
        ASSERT_EQ(motion.Pans(), pans);
        const TCePanZoom::TPlace a = motion.PlaceAt(0), b = motion.PlaceAt(1);
        ways.insert({a.X, a.Y, b.X, b.Y});
        if (pans) {
            EXPECT_DOUBLE_EQ(a.W, w * scale);
            EXPECT_DOUBLE_EQ(b.W, a.W);
            const bool tall = h * 16 > w * 9;
            EXPECT_DOUBLE_EQ(tall ? std::max(a.Y, b.Y) : std::max(a.X, b.X), 0);
            EXPECT_DOUBLE_EQ(tall ? std::min(a.Y + a.H, b.Y + b.H) : std::min(a.X + a.W, b.X + b.W),
                             tall ? 900 : 1600);
            EXPECT_NEAR(motion.Travel(), 300, 1e-6);
        } else {
            EXPECT_DOUBLE_EQ(std::max(a.W, b.W) / std::min(a.W, b.W), 1.1);
            EXPECT_LE(motion.Travel() / 150, 1.25);
        }
        for (int f = 0; f <= 150; ++f) {
            const TCePanZoom::TPlace p = motion.PlaceAt(f / 150.0);
            if (!pans) {
                ASSERT_LE(p.X, rest.X + 1e-9);
                ASSERT_LE(p.Y, rest.Y + 1e-9);
                ASSERT_GE(p.X + p.W, rest.X + rest.W - 1e-9);
                ASSERT_GE(p.Y + p.H, rest.Y + rest.H - 1e-9);
            }
        }
    }
    // Each picture takes its own way: zooms in eight directions, in or out; pans both ways.
    EXPECT_GE(ways.size(), pans ? 2u : 14u);
}

INSTANTIATE_TEST_SUITE_P(Shapes,
                         PanZoomPathTest,
                         ::testing::Values(TPathCase{1600, 900, false, 1},
                                           TPathCase{1200, 900, false, 1},
                                           TPathCase{600, 900, true, 1200.0 / 900},
                                           TPathCase{1600, 400, true, 1900.0 / 1600}));

}  // namespace
