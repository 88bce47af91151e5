#include <gtest/gtest.h>

#include "TransitionFixture.h"

TEST(CcTransitionSlide, Effect1At800MovesInFromTheRight) {
    auto calls = Record(1, 800, 600);
    ASSERT_EQ(calls.size(), 100u);
    EXPECT_TRUE(calls[0].Copy);
    EXPECT_EQ(calls[0].Rect, TRect(792, 0, 1592, 600));
    EXPECT_EQ(calls[49].Rect, TRect(400, 0, 1200, 600));
    EXPECT_EQ(calls[99].Rect, TRect(0, 0, 800, 600));
    for (const auto& c : calls) {
        EXPECT_EQ(c.SourceRect, Full(800, 600));
    }
}

struct TOffsetCase {
    int Effect, W, H, Step, X, Y;
};
class CcTransitionSlideOffset : public testing::TestWithParam<TOffsetCase> {};

TEST_P(CcTransitionSlideOffset, TiesGoToEven) {
    const auto p = GetParam();
    auto calls = Record(p.Effect, p.W, p.H);
    ASSERT_EQ(calls.size(), 100u);
    EXPECT_EQ(calls[p.Step - 1].Rect, TRect(p.X, p.Y, p.X + p.W, p.Y + p.H));
    EXPECT_TRUE(std::all_of(calls.begin(), calls.end(), [](const TDrawCall& c) { return c.Copy; }));
}

INSTANTIATE_TEST_SUITE_P(Offsets,
                         CcTransitionSlideOffset,
                         testing::Values(TOffsetCase{1, 250, 10, 1, 248, 0},   // 247.5
                                         TOffsetCase{1, 250, 10, 3, 242, 0},   // 242.5
                                         TOffsetCase{2, 150, 10, 1, -148, 0},  // -148.5
                                         TOffsetCase{3, 10, 150, 1, 0, 148},
                                         TOffsetCase{4, 10, 150, 3, 0, -146},  // -145.5
                                         TOffsetCase{5, 150, 150, 1, 148, 148},
                                         TOffsetCase{6, 150, 250, 1, 148, -248},
                                         TOffsetCase{7, 250, 150, 1, -248, 148},
                                         TOffsetCase{8, 150, 150, 50, -75, -75},
                                         TOffsetCase{8, 150, 150, 100, 0, 0}));

struct TRectCase {
    int Effect, W, H, Call;
    TRect Expected;
};
class CcTransitionFillRect : public testing::TestWithParam<TRectCase> {};

TEST_P(CcTransitionFillRect, RevealsTheRectangle) {
    const auto p = GetParam();
    auto calls = Record(p.Effect, p.W, p.H);
    ASSERT_LT(p.Call, static_cast<int>(calls.size()));
    EXPECT_FALSE(calls[p.Call].Copy);
    EXPECT_NE(calls[p.Call].Pattern, nullptr);
    EXPECT_EQ(calls[p.Call].Rect, p.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Edges,
    CcTransitionFillRect,
    testing::Values(
        // Wipes: 150 - 1.5 = 148.5 goes to 148, 4.5 to 4.
        TRectCase{9, 150, 100, 0, {148, 0, 150, 100}},
        TRectCase{9, 150, 100, 2, {146, 0, 150, 100}},
        TRectCase{10, 150, 100, 0, {0, 0, 2, 100}},
        TRectCase{10, 150, 100, 2, {0, 0, 4, 100}},
        TRectCase{11, 100, 150, 0, {0, 148, 100, 150}},
        TRectCase{12, 100, 150, 0, {0, 0, 100, 2}},
        TRectCase{12, 100, 150, 99, {0, 0, 100, 150}},
        // Box out at 5 x 4: cx = cy = 2; dx = 0.496 -> 0 at step 62, 0.504 -> 1 at step 63.
        TRectCase{13, 5, 4, 61, {2, 2, 2, 2}},
        TRectCase{13, 5, 4, 62, {1, 1, 3, 3}},
        TRectCase{13, 5, 4, 249, {0, 0, 4, 4}},
        // At 7 x 4: cx = 4, so the last box (0, 0, 8, 4) is cut at the source's edge.
        TRectCase{13, 7, 4, 124, {2, 1, 6, 3}},
        TRectCase{13, 7, 4, 249, {0, 0, 7, 4}},
        // Box in at 150 x 100: a = 1.5 i, b = i.
        TRectCase{14, 150, 100, 0, {0, 0, 2, 100}},
        TRectCase{14, 150, 100, 1, {0, 0, 150, 1}},
        TRectCase{14, 150, 100, 2, {148, 0, 150, 100}},
        TRectCase{14, 150, 100, 3, {0, 99, 150, 100}},
        TRectCase{14, 150, 100, 8, {0, 0, 4, 100}},
        TRectCase{14, 150, 100, 11, {0, 97, 150, 100}},
        TRectCase{14, 150, 100, 200, {0, 0, 150, 100}},
        // Split open at 1025: cx = 512 (512.5 to even).
        TRectCase{15, 1025, 2, 0, {507, 0, 517, 2}},
        TRectCase{15, 1025, 2, 49, {256, 0, 768, 2}},
        TRectCase{15, 1025, 2, 99, {0, 0, 1024, 2}},
        TRectCase{16, 150, 10, 0, {0, 0, 2, 10}},
        TRectCase{16, 150, 10, 1, {148, 0, 150, 10}},
        TRectCase{16, 150, 10, 4, {0, 0, 4, 10}},
        TRectCase{16, 150, 10, 5, {146, 0, 150, 10}},
        TRectCase{16, 150, 10, 100, {0, 0, 150, 10}}));

TEST(CcTransitionBlinds, Effect19At600) {
    auto calls = Record(19, 4, 600);
    ASSERT_EQ(calls.size(), 401u);
    const int heights[][2] = {{1, 2}, {2, 3}, {3, 4}, {20, 30}};
    for (const auto& [step, g] : heights) {
        for (int j = 0; j < 20; ++j) {
            EXPECT_EQ(calls[(step - 1) * 20 + j].Rect, TRect(0, 30 * j, 4, 30 * j + g))
                << "step " << step << " slat " << j;
        }
    }
    EXPECT_EQ(calls[400].Rect, Full(4, 600));
}

// The draw order of the strip indices, read from a run where the pitch is exactly 1.
std::vector<int> LineOrder(int effect) {
    RandSeed = 0;
    auto calls = Record(effect, 800, 800);
    EXPECT_EQ(calls.size(), 801u);
    std::vector<int> order;
    for (size_t k = 0; k < 800; ++k) {
        const TRect& r = calls[k].Rect;
        const int start = effect == 17 ? r.Top : r.Left;
        const int end = effect == 17 ? r.Bottom : r.Right;
        EXPECT_EQ(end, std::min(start + 2, 800));
        order.push_back(start);
    }
    return order;
}

TEST(CcTransitionRandomLines, EveryIndexOnce) {
    for (int effect : {17, 18}) {
        auto order = LineOrder(effect);
        std::vector<int> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        for (int n = 0; n < 800; ++n) {
            ASSERT_EQ(sorted[n], n) << "effect " << effect;
        }
    }
}

TEST(CcTransitionRandomLines, Effect17At600) {
    auto order = LineOrder(17);
    RandSeed = 0;
    auto calls = Record(17, 3, 600);
    ASSERT_EQ(calls.size(), 801u);
    // Pitch 0.75, strips nearest(0.75) + 1 = 2 rows; 1.5 goes to 2 and 4.5 to 4.
    const int starts[][2] = {{0, 0}, {2, 2}, {6, 4}, {798, 598}};
    for (const auto& [n, row] : starts) {
        size_t k = std::find(order.begin(), order.end(), n) - order.begin();
        EXPECT_EQ(calls[k].Rect, TRect(0, row, 3, row + 2)) << "index " << n;
    }
    size_t last = std::find(order.begin(), order.end(), 799) - order.begin();
    EXPECT_EQ(calls[last].Rect, TRect(0, 599, 3, 600));
    EXPECT_EQ(calls[800].Rect, Full(3, 600));
}

// Values where 80-bit arithmetic and double precision round to different pixels.
TEST(CcTransitionExtended, StripAndSlatPositions) {
    // 1080 / 800 = 1.35 carries a tiny upward error in 80 bits that 350 * 1.35 rounds away,
    // leaving the tie 472.5 -> 472; in double the product is 472.50000000000006 -> 473.
    auto order = LineOrder(17);
    size_t k = std::find(order.begin(), order.end(), 350) - order.begin();
    RandSeed = 0;
    auto horizontal = Record(17, 2, 1080);
    EXPECT_EQ(horizontal[k].Rect, TRect(0, 472, 2, 474));
    // 1680 / 800 = 2.1 lies below 2.1 in 80 bits: 15 * pitch = 31.4999... -> 31 (double: 32).
    order = LineOrder(18);
    k = std::find(order.begin(), order.end(), 15) - order.begin();
    RandSeed = 0;
    auto vertical = Record(18, 1680, 2);
    EXPECT_EQ(vertical[k].Rect, TRect(31, 0, 34, 2));
    // 166 / 20 = 8.3; slat 15 lies at the tie 124.5 in exact arithmetic, which the 80-bit
    // product keeps (-> 124) and double overshoots (124.50000000000001 -> 125). Step 20 makes
    // it nearest(8.3) = 8 wide.
    auto blinds = Record(20, 166, 2);
    EXPECT_EQ(blinds[19 * 20 + 15].Rect, TRect(124, 0, 132, 2));
}

// Each step of an effect reaches the screen, so the number of steps sets its pace. Slides,
// random lines and horizontal blinds have theirs pinned by the exact sequences above; the
// other fill effects are counted here, and every fill effect ends on the whole picture.
TEST(CcTransitionWork, FillEffectsEndOnTheWholePicture) {
    const std::map<int, size_t> steps = {{9, 100},
                                         {10, 100},
                                         {11, 100},
                                         {12, 100},
                                         {13, 250},
                                         {14, 201},
                                         {15, 100},
                                         {16, 101},
                                         {20, 401}};
    for (int effect = 9; effect <= 20; ++effect) {
        RandSeed = 0;
        auto calls = Record(effect, 40, 30);
        ASSERT_FALSE(calls.empty()) << "effect " << effect;
        if (const auto it = steps.find(effect); it != steps.end()) {
            EXPECT_EQ(calls.size(), it->second) << "effect " << effect;
        }
        EXPECT_EQ(calls.back().Rect, Full(40, 30)) << "effect " << effect;
        for (const auto& c : calls) {
            EXPECT_TRUE(!c.Copy && c.Pattern != nullptr) << "effect " << effect;
        }
    }
}

struct TCancelCase {
    int Effect, CancelAfter;
    size_t Calls;
    bool FinalReveal;
};
class CcTransitionCancel : public testing::TestWithParam<TCancelCase> {};

TEST_P(CcTransitionCancel, StopsAtTheNextCancelPoint) {
    const auto p = GetParam();
    TBitmap source(40, 30);
    TRecordingCanvas target;
    TCcTransition runner;
    target.AfterCall = [&](size_t calls) {
        if (static_cast<int>(calls) == p.CancelAfter) {
            runner.Cancelled = true;
        }
    };
    runner.Cancelled = p.CancelAfter == 0;
    RandSeed = 0;
    runner.Run(&source, &target, p.Effect);
    EXPECT_FALSE(runner.Running);
    EXPECT_TRUE(runner.Cancelled);
    ASSERT_EQ(target.Calls.size(), p.Calls);
    if (p.FinalReveal) {
        EXPECT_EQ(target.Calls.back().Rect, Full(40, 30));
    }
    EXPECT_EQ(target.Brush().Bitmap, nullptr);
    if (p.Effect >= 17 && p.Effect <= 18 && p.CancelAfter == 0) {
        EXPECT_EQ(RandSeed, 1u);  // the first index is still drawn
    }
}

INSTANTIATE_TEST_SUITE_P(Families,
                         CcTransitionCancel,
                         testing::Values(TCancelCase{1, 0, 0, false},
                                         TCancelCase{5, 7, 7, false},
                                         TCancelCase{9, 0, 0, false},
                                         TCancelCase{12, 7, 7, false},
                                         TCancelCase{13, 0, 0, false},
                                         TCancelCase{13, 3, 3, false},
                                         TCancelCase{15, 0, 0, false},
                                         TCancelCase{15, 2, 2, false},
                                         TCancelCase{14, 0, 1, true},
                                         TCancelCase{14, 2, 5, true},
                                         TCancelCase{14, 4, 5, true},
                                         TCancelCase{14, 5, 9, true},
                                         TCancelCase{16, 0, 1, true},
                                         TCancelCase{16, 1, 3, true},
                                         TCancelCase{17, 0, 1, true},
                                         TCancelCase{17, 3, 4, true},
                                         TCancelCase{18, 0, 1, true},
                                         TCancelCase{19, 0, 1, true},
                                         TCancelCase{19, 3, 4, true},
                                         TCancelCase{19, 20, 21, true},
                                         TCancelCase{20, 25, 26, true}));

TEST(CcTransitionRun, NumbersOutside1To23DrawNothing) {
    for (int effect : {0, 24, -1, INT32_MIN}) {
        TBitmap source(8, 8);
        TRecordingCanvas target;
        target.Brush().Color = RGBColor(255, 0, 0);
        TCcTransition runner;
        runner.Running = true;
        runner.Run(&source, &target, effect);
        EXPECT_FALSE(runner.Running) << effect;
        EXPECT_TRUE(target.Calls.empty()) << effect;
        EXPECT_EQ(target.Brush().Color, RGBColor(255, 0, 0)) << effect;
    }
}

// The steps a paced show spreads over a transition: one a slide or wipe position, a box or split
// size, a random line, a slat of a growth step.
TEST(CcTransitionRun, StepsOfEachEffect) {
    const std::map<int, int32_t> steps = {{efSlideFromRight, 100},
                                          {efSlideFromAboveLeft, 100},
                                          {efWipeFromRight, 100},
                                          {efWipeFromAbove, 100},
                                          {efBoxOut, 250},
                                          {efBoxIn, 50},
                                          {efSplitOpen, 100},
                                          {efSplitClose, 50},
                                          {efRandomRows, 800},
                                          {efRandomColumns, 800},
                                          {efBlindsRows, 400},
                                          {efBlindsColumns, 400},
                                          {0, 0},
                                          {efLast + 1, 0}};
    for (const auto& [effect, expected] : steps) {
        EXPECT_EQ(TCcTransition::StepsOf(effect), expected) << "effect " << effect;
    }
}

TEST(CcTransitionRun, BrushBackToSolidWhite) {
    TBitmap source(20, 10), other(3, 3);
    TRecordingCanvas target;
    for (int effect = 9; effect <= 20; ++effect) {
        target.Brush().Color = RGBColor(1, 2, 3);
        target.Brush().Bitmap = &other;
        TCcTransition runner;
        runner.Run(&source, &target, effect);
        EXPECT_EQ(target.Brush().Color, clWhite) << effect;
        EXPECT_EQ(target.Brush().Bitmap, nullptr) << effect;
    }
}

TEST(CcTransitionRun, ErrorEndsTheEffectQuietly) {
    for (int effect : {3, 10, 14, 17, 20}) {
        TBitmap source(20, 10);
        TRecordingCanvas target;
        target.AfterCall = [](size_t calls) {
            if (calls == 3) {
                throw std::runtime_error("drawing failed");
            }
        };
        TCcTransition runner;
        EXPECT_NO_THROW(runner.Run(&source, &target, effect));
        EXPECT_TRUE(runner.Running) << effect;
        EXPECT_EQ(target.Calls.size(), 3u) << effect;
        EXPECT_EQ(target.Brush().Bitmap, nullptr) << effect;
        EXPECT_EQ(target.Brush().Color, clWhite) << effect;
    }
    TBitmap source(20, 10);
    TCcTransition runner;
    EXPECT_NO_THROW(runner.Run(&source, nullptr, 9));
    EXPECT_TRUE(runner.Running);
    EXPECT_NO_THROW(runner.Run(nullptr, nullptr, 9));
}

TEST(CcTransitionPixels, EmptySourceLeavesTheTarget) {
    for (auto [w, h] : {std::pair{0, 10}, std::pair{10, 0}}) {
        TBitmap source(w, h), target(8, 8);
        for (int effect = 1; effect <= efLast; ++effect) {
            Paint(target, false);
            TCcTransition runner;
            runner.Run(&source, &target.Canvas(), effect);
            EXPECT_FALSE(runner.Running);
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    ASSERT_EQ(target.Pixels(x, y), kOld) << effect << " at " << x << "," << y;
                }
            }
        }
    }
}

// Every effect ends with the source in place; a small source leaves the rest of the target
// alone in the fill families and in slides that enter from the left or the top.
TEST(CcTransitionPixels, SmallerAndLargerSource) {
    for (auto [sw, sh] : {std::pair{40, 30}, std::pair{80, 60}, std::pair{7, 4}}) {
        TBitmap source(sw, sh), target(60, 50);
        Paint(source, true);
        for (int effect = 1; effect <= efLast; ++effect) {
            Paint(target, false);
            TCcTransition runner;
            runner.Run(&source, &target.Canvas(), effect);
            const bool outsideKept = effect >= 9 || effect == 2 || effect == 4 || effect == 8;
            for (int y = 0; y < 50; ++y) {
                for (int x = 0; x < 60; ++x) {
                    const bool inside = x < sw && y < sh;
                    if (inside) {
                        ASSERT_EQ(target.Pixels(x, y), SourceColor(x, y))
                            << effect << " at " << x << "," << y;
                    } else if (outsideKept) {
                        ASSERT_EQ(target.Pixels(x, y), kOld) << effect << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(CcTransitionPixels, BoxOutAtOddWidthsAndSplitOpen) {
    TBitmap source5(5, 4), target5(5, 4);
    Paint(source5, true);
    Paint(target5, false);
    TCcTransition runner;
    runner.Run(&source5, &target5.Canvas(), 13);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(target5.Pixels(3, y), SourceColor(3, y));
        EXPECT_EQ(target5.Pixels(4, y), kOld);  // cx = 2 stops the box at column 3
    }
    TBitmap source1025(1025, 2), target1025(1025, 2);
    Paint(source1025, true);
    Paint(target1025, false);
    runner.Run(&source1025, &target1025.Canvas(), 15);
    EXPECT_EQ(target1025.Pixels(0, 1), SourceColor(0, 1));
    EXPECT_EQ(target1025.Pixels(1023, 1), SourceColor(1023, 1));
    EXPECT_EQ(target1025.Pixels(1024, 0), kOld);
    EXPECT_EQ(target1025.Pixels(1024, 1), kOld);
}
