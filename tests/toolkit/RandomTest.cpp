#include <gtest/gtest.h>

#include "toolkit/Random.h"
#include "toolkit/TextLines.h"

TEST(Random, FromSeedZeroGivesTheKnownSequence) {
    RandSeed = 0;
    const int32_t expected[] = {0, 0, 17, 4, 5};
    for (int32_t e : expected) {
        EXPECT_EQ(Random(20), e);
    }
    // seed after one step is 1; 1 * 134775813 + 1 = 134775814 after the second.
    RandSeed = 0;
    Random(20);
    EXPECT_EQ(RandSeed, 1u);
    Random(20);
    EXPECT_EQ(RandSeed, 134775814u);
}

TEST(Random, StaysBelowN) {
    RandSeed = 0xFFFFFFFFu;
    for (int i = 0; i < 1000; ++i) {
        int32_t r = Random(800);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 800);
    }
}

struct TSplitCase {
    const char* Text;
    std::vector<std::string> Lines;
};

class SplitLinesTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitLinesTest, SplitsAtEveryKindOfBreak) {
    EXPECT_EQ(SplitLines(GetParam().Text), GetParam().Lines);
}

INSTANTIATE_TEST_SUITE_P(Breaks,
                         SplitLinesTest,
                         testing::Values(TSplitCase{"", {}},
                                         TSplitCase{"one", {"one"}},
                                         TSplitCase{"a\r\nb", {"a", "b"}},
                                         TSplitCase{"a\rb\nc", {"a", "b", "c"}},
                                         TSplitCase{"a\n", {"a"}},
                                         TSplitCase{"a\r\n", {"a"}},
                                         TSplitCase{"a\r", {"a"}},
                                         TSplitCase{"a\n\nb", {"a", "", "b"}},
                                         TSplitCase{"a\n\rb", {"a", "", "b"}},
                                         TSplitCase{"a\r\n\r\n", {"a", ""}},
                                         TSplitCase{"\n", {""}},
                                         TSplitCase{"\nx", {"", "x"}},
                                         TSplitCase{"\xc4\xe3\xba\xc3\r\n\xca\xc0",
                                                    {"\xc4\xe3\xba\xc3", "\xca\xc0"}}));
