#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/CodePage.h"
#include "settings/SaverSettings.h"

namespace {

using namespace std::string_literals;

TEST(CodePage, ConvertsBothWays) {
    EXPECT_EQ(Utf8ToGbk("a中文b"),
              "a\xD6\xD0\xCE\xC4"
              "b");
    EXPECT_EQ(GbkToUtf8("a\xD6\xD0\xCE\xC4"
                        "b"),
              "a中文b");
    EXPECT_EQ(Utf8ToGbk("扩展全屏\r\n原始大小"),
              "\xC0\xA9\xD5\xB9\xC8\xAB\xC6\xC1\r\n\xD4\xAD\xCA\xBC\xB4\xF3\xD0\xA1");
    EXPECT_EQ(Utf8ToGbk(""), "");
}

TEST(CodePage, WhatCannotBeConvertedBecomesQuestionMark) {
    EXPECT_EQ(Utf8ToGbk("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToGbk("x\xFFy"), "x?y");
    EXPECT_EQ(Utf8ToGbk("\xE4\xB8"
                        "z"),
              "?z");  // a truncated character, then an ASCII letter
    EXPECT_EQ(Utf8ToGbk("中\xE4\xB8"), "\xD6\xD0?");
    EXPECT_EQ(GbkToUtf8("ok\x81"), "ok?");  // a lone lead byte at the end
    EXPECT_EQ(Utf8ToGbk(std::string(3000, 'a') + "😀"), std::string(3000, 'a') + "?");
}

struct PrefixCase {
    std::string gbk;
    size_t maxBytes;
    size_t length;
};

class GbkPrefix : public testing::TestWithParam<PrefixCase> {};

TEST_P(GbkPrefix, EndsOnACharacterBoundary) {
    EXPECT_EQ(GbkPrefixLength(GetParam().gbk, GetParam().maxBytes), GetParam().length);
}

// "\x81\x40" is one character whose second byte looks like ASCII "@".
INSTANTIATE_TEST_SUITE_P(Boundaries,
                         GbkPrefix,
                         testing::Values(PrefixCase{"abc", 5, 3},
                                         PrefixCase{"abcdef", 5, 5},
                                         PrefixCase{"\xD6\xD0\xCE\xC4", 4, 4},
                                         PrefixCase{"\xD6\xD0\xCE\xC4", 3, 2},
                                         PrefixCase{"a\xD6\xD0\xCE\xC4", 4, 3},
                                         PrefixCase{"\x81\x40\x81\x40", 3, 2},
                                         PrefixCase{"@\x81\x40\x81", 2, 1},
                                         PrefixCase{"\xD6\xD0", 1, 0},
                                         PrefixCase{"\x80x", 1, 1}));

TEST(GbkFieldCutting, NeverSplitsADoubleByteCharacter) {
    char field[20];
    std::string face = "微软雅黑微软雅黑微软雅黑";  // 24 bytes in GBK
    WriteFieldUtf8(field, face);
    EXPECT_EQ(std::string(field, 20), Utf8ToGbk("微软雅黑微软雅黑微软"));
    EXPECT_EQ(ReadFieldUtf8(field), "微软雅黑微软雅黑微软");

    std::memset(field, 'x', sizeof field);
    WriteFieldUtf8(field, "a" + face);  // the 20th byte would be half a character
    EXPECT_EQ(std::string(field, 20), Utf8ToGbk("a微软雅黑微软雅黑微") + "\0"s);
    EXPECT_EQ(ReadFieldUtf8(field), "a微软雅黑微软雅黑微");
}

TEST(GbkFieldCutting, TitleOfSixtyChineseCharacters) {
    TSaverSettings s;
    InitSaverSettings(s);
    s.Reserved = 0;
    s.PictureCount = 7;
    std::string title;
    for (int i = 0; i < 60; ++i) {
        title += "屏";
    }
    WriteFieldUtf8(s.Title, title);
    EXPECT_EQ(ReadFieldUtf8(s.Title), title.substr(0, 50 * 3));
    WriteFieldUtf8(s.Title, "a" + title);
    EXPECT_EQ(ReadFieldUtf8(s.Title), "a" + title.substr(0, 49 * 3));
    EXPECT_EQ(s.Title[99], 0);
    EXPECT_EQ(s.Reserved, 0);
    EXPECT_EQ(s.PictureCount, 7);
}

// What users type, and which of it GBK cannot hold.
struct MissingCase {
    std::string text;
    std::vector<std::string> missing;
};

class GbkMissing : public ::testing::TestWithParam<MissingCase> {};

TEST_P(GbkMissing, NamesEachLostCharacterOnce) {
    EXPECT_EQ(GbkMissingCharacters(GetParam().text), GetParam().missing);
}

INSTANTIATE_TEST_SUITE_P(
    Typed,
    GbkMissing,
    ::testing::Values(MissingCase{"© 2026 王小明", {"©"}},
                      MissingCase{"Kavro® and Show™ ®", {"®", "™"}},
                      MissingCase{"假期😀🎉😀", {"😀", "🎉"}},
                      MissingCase{"España", {"ñ"}},
                      MissingCase{"ゔ ヷ ｱ", {"ゔ", "ヷ", "ｱ"}},
                      // GBK holds pinyin letters, kana, typographic quotes and the euro sign.
                      MissingCase{"Café Müller", {}},
                      MissingCase{"アニメ あいう “引号” … €5", {}},
                      MissingCase{"what? 真的?", {}},
                      MissingCase{"", {}}));

}  // namespace
