#include <gtest/gtest.h>

#include "TransitionFixture.h"

// ---- Effects that mix or move the old picture: 21 crossfade, 22 push, 23 zoom and fade

namespace {

constexpr TColor kRed = RGBColor(255, 0, 0);
constexpr TColor kBlue = RGBColor(0, 0, 255);

void Fill(TBitmap& b, TColor color) {
    b.Canvas().Brush().Color = color;
    b.Canvas().FillRect(b.Canvas().ClipRect());
}

// A colour that is neither the old red nor the new blue but lies between them.
bool Mixed(TColor c) {
    return ColorGreen(c) == 0 && ColorRed(c) > 20 && ColorRed(c) < 235 && ColorBlue(c) > 20 &&
           ColorBlue(c) < 235;
}

struct TShown {
    int Red = 0, Blue = 0, Mixed = 0, Other = 0;
};

TShown Count(const TBitmap& b) {
    TShown n;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const TColor c = b.Pixels(x, y);
            (c == kRed ? n.Red : c == kBlue ? n.Blue : Mixed(c) ? n.Mixed : n.Other)++;
        }
    }
    return n;
}

}  // namespace

struct TMixCase {
    int Effect;
    int Step;              // of 1000
    int Red, Blue, Mixed;  // of the 40 x 30 pixels; -1 where it depends on more than the step
};

class CcTransitionMix : public ::testing::TestWithParam<TMixCase> {};

// Red on the target, blue coming in: half-way a crossfade is all mixed colour, a push half of
// each picture, a zoom-fade a mixed picture inside a frame of the old red.
TEST_P(CcTransitionMix, HalfWayAndAtTheEnd) {
    const TMixCase c = GetParam();
    TBitmap source(40, 30), target(40, 30);
    Fill(source, kBlue);
    Fill(target, kRed);
    RandSeed = 77;
    TCcTransition runner;
    runner.Begin(&source, &target.Canvas(), c.Effect);
    ASSERT_EQ(runner.StepCount(), 1000);
    runner.DrawSteps(c.Step);
    EXPECT_TRUE(runner.Running);
    const TShown mid = Count(target);
    EXPECT_EQ(mid.Other, 0);
    if (c.Red >= 0) {
        EXPECT_EQ(mid.Red, c.Red);
    } else {
        EXPECT_GT(mid.Red, 0);
    }
    EXPECT_EQ(mid.Blue, c.Blue);
    if (c.Mixed >= 0) {
        EXPECT_EQ(mid.Mixed, c.Mixed);
    } else {
        EXPECT_GT(mid.Mixed, 30 * 20);
        EXPECT_TRUE(Mixed(target.Pixels(20, 15)));
    }
    runner.DrawSteps(1000);
    EXPECT_FALSE(runner.Running);
    EXPECT_EQ(Count(target).Blue, 40 * 30);
    // The show's generator is left alone.
    EXPECT_EQ(RandSeed, 77u);
}

INSTANTIATE_TEST_SUITE_P(Effects,
                         CcTransitionMix,
                         ::testing::Values(TMixCase{21, 500, 0, 0, 1200},
                                           TMixCase{22, 500, 600, 600, 0},
                                           TMixCase{23, 500, -1, 0, -1}));

// Each push takes its side from the runner's own generator; the new picture enters there.
TEST(CcTransitionPush, NewPictureEntersAtTheSideDrawn) {
    TBitmap source(40, 30), target(40, 30);
    Fill(source, kBlue);
    TCcTransition runner;
    std::map<int, int> sides;
    for (int run = 0; run < 24; ++run) {
        Fill(target, kRed);
        runner.Begin(&source, &target.Canvas(), efPush);
        runner.DrawSteps(250);
        const TCcTransition::TPushFrom from = runner.PushFrom();
        ++sides[from];
        // A quarter of the way: 10 columns or 7 (7.5 to the even 8 is rows 0..7) rows.
        const std::map<int, std::pair<int, int>> entered{{TCcTransition::pfRight, {39, 15}},
                                                         {TCcTransition::pfLeft, {0, 15}},
                                                         {TCcTransition::pfBottom, {20, 29}},
                                                         {TCcTransition::pfTop, {20, 0}}};
        const auto [x, y] = entered.at(from);
        EXPECT_EQ(target.Pixels(x, y), kBlue) << from;
        EXPECT_EQ(target.Pixels(39 - x, 29 - y), kRed) << from;
        EXPECT_EQ(Count(target).Blue, from <= TCcTransition::pfLeft ? 10 * 30 : 8 * 40) << from;
        runner.DrawSteps(1000);
    }
    EXPECT_EQ(sides.size(), 4u);
}

// A frame that comes late draws only the last step due: every step covers the whole picture.
TEST(CcTransitionContinuous, LateStepsDrawOnlyTheLast) {
    TBitmap source(16, 8);
    TRecordingCanvas target(16, 8);
    TCcTransition runner;
    runner.Begin(&source, &target, efCrossfade);
    runner.DrawSteps(900);
    EXPECT_EQ(runner.StepsDrawn(), 900);
    // The old picture and the new one mixed in one pass over the whole target.
    ASSERT_EQ(target.ChangedRects.size(), 1u);
    EXPECT_EQ(target.ChangedRects[0], (TRect{0, 0, 16, 8}));
    runner.Cancel();
    EXPECT_FALSE(runner.Active());
    EXPECT_EQ(target.ChangedRects.size(), 1u);
}
