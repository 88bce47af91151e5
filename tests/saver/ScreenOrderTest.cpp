#include <gtest/gtest.h>

#include "saver/ScreenOrder.h"

namespace {

struct TScreenCase {
    const char* Name;
    std::vector<TRect> Screens;
    TRect Window;
    int Expected;
};

class ScreenOrder : public testing::TestWithParam<TScreenCase> {};

TEST_P(ScreenOrder, CountsFromTheLeftThenFromTheTop) {
    EXPECT_EQ(ScreenIndexOf(GetParam().Screens, GetParam().Window), GetParam().Expected);
}

const std::vector<TRect> SideBySide = {{1920, 0, 3840, 1080}, {0, 0, 1920, 1080}};

INSTANTIATE_TEST_SUITE_P(
    Screens,
    ScreenOrder,
    testing::Values(TScreenCase{"LeftOfTwo", SideBySide, {0, 0, 1920, 1080}, 0},
                    TScreenCase{"RightOfTwo", SideBySide, {1920, 0, 3840, 1080}, 1},
                    TScreenCase{"Stacked",
                                {{0, 1080, 1920, 2160}, {0, 0, 1920, 1080}},
                                {0, 1080, 1920, 2160},
                                1},
                    TScreenCase{"MostlyOnTheRight", SideBySide, {1800, -500, 3000, 300}, 1},
                    TScreenCase{"OffEveryScreen", SideBySide, {5000, 5000, 5100, 5100}, 0},
                    TScreenCase{"NoScreens", {}, {0, 0, 10, 10}, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
