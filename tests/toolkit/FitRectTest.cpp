#include <gtest/gtest.h>

#include <ostream>

#include "toolkit/FitRect.h"

void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

namespace {

struct FitCase {
    int areaWidth, areaHeight, width, height;
    TRect expected;
};

class FitRectCase : public testing::TestWithParam<FitCase> {};

TEST_P(FitRectCase, KeepsTheShapeCentredAndRoundsHalvesToEven) {
    const FitCase& c = GetParam();
    EXPECT_EQ(FitRect(c.areaWidth, c.areaHeight, c.width, c.height), c.expected);
}

// Worked by hand: the fitted side is the other side times (or over) the picture's shape.
INSTANTIATE_TEST_SUITE_P(
    Sizes,
    FitRectCase,
    testing::Values(
        // 1080 * 4 / 3 = 1440, centred in 1920: 240 on each side.
        FitCase{1920, 1080, 4000, 3000, {240, 0, 1680, 1080}},
        // 1920 / (16 / 9) = 1080 of 1200: 60 above and below.
        FitCase{1920, 1200, 1600, 900, {0, 60, 1920, 1140}},
        FitCase{800, 600, 400, 300, {0, 0, 800, 600}},
        // 100 * 1 / 8 = 12.5 gives the even 12, (100 - 12) / 2 = 44.
        FitCase{100, 100, 1, 8, {44, 0, 56, 100}},
        // 27 * 2 / 4 = 13.5 gives the even 14, (27 - 14) / 2 = 6 (rounded down).
        FitCase{27, 27, 2, 4, {6, 0, 20, 27}},
        // 3 * 2.5 = 7.5 gives 8 beside 10 columns: one column left of it.
        FitCase{10, 3, 5, 2, {1, 0, 9, 3}},
        FitCase{100, 100, 0, 50, {}},
        FitCase{100, 100, 50, 0, {}},
        FitCase{0, 100, 50, 50, {}},
        FitCase{100, -1, 50, 50, {}}));

}  // namespace
