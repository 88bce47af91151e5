#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/SaverSettings.h"

namespace {

using namespace std::string_literals;
using Bytes = std::vector<unsigned char>;

Bytes ImageOf(const TSaverSettings& settings) {
    auto p = reinterpret_cast<const unsigned char*>(&settings);
    return Bytes(p, p + sizeof settings);
}

// One caption slot as InitSaverSettings leaves it, written out byte by byte.
Bytes DefaultSlot() {
    Bytes slot(293, 0);
    const char name[] = "MS Sans Serif";
    std::memcpy(&slot[256], name, 13);
    slot[276] = 0x0A;  // Size 10
    slot[282] = 0xFF;  // Color 00 FF 00 00
    slot[285] = 0x01;  // Position 1
    return slot;
}

TEST(DefaultRecord, Slot0ReadsByteByByte) {
    TSaverSettings s;
    InitSaverSettings(s);
    Bytes image = ImageOf(s);
    EXPECT_EQ(std::string(image.begin() + 358, image.begin() + 371), "MS Sans Serif");
    for (int i = 371; i <= 377; ++i) {
        EXPECT_EQ(image[i], 0) << i;
    }
    EXPECT_EQ(Bytes(image.begin() + 378, image.begin() + 395),
              (Bytes{0x0A, 0, 0, 0, 0, 0x00, 0xFF, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(image[395 + 256], 'M');  // slot 1's face name
}

TEST(DefaultRecord, EveryOtherByteIsZero) {
    Bytes expected(77965, 0);
    Bytes slot = DefaultSlot();
    for (int i = 0; i < 256; ++i) {
        std::copy(slot.begin(), slot.end(), expected.begin() + 102 + 293 * i);
    }
    std::fill(expected.begin() + 75120, expected.begin() + 75140, 1);

    TSaverSettings s;
    std::memset(&s, 0xAB, sizeof s);
    InitSaverSettings(s);
    EXPECT_EQ(ImageOf(s), expected);
}

// A field of a record, found through its name, with its offset worked out by hand.
struct FieldCase {
    const char* name;
    char* (*field)(TSaverSettings&);
    size_t offset;
    size_t width;
    size_t textLength;
};

class FieldCutting : public testing::TestWithParam<FieldCase> {};

// Writes into a record whose bytes are all 0x5A: only the text and its terminator may change.
TEST_P(FieldCutting, StoresAtMostTheWidthAndTouchesNothingElse) {
    const FieldCase& c = GetParam();
    struct Guarded {
        TSaverSettings s;
        unsigned char after[16];
    } g;
    std::memset(&g, 0x5A, sizeof g);
    char* field = c.field(g.s);
    ASSERT_EQ(static_cast<size_t>(field - reinterpret_cast<char*>(&g.s)), c.offset);

    std::string text;
    for (size_t i = 0; i < c.textLength; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    WriteFieldText(field, c.width, text);

    Bytes expected(sizeof g, 0x5A);
    size_t stored = std::min(c.textLength, c.width);
    std::copy(text.begin(), text.begin() + stored, expected.begin() + c.offset);
    if (c.textLength < c.width) {
        expected[c.offset + c.textLength] = 0;
    }
    auto p = reinterpret_cast<const unsigned char*>(&g);
    EXPECT_EQ(Bytes(p, p + sizeof g), expected);
    EXPECT_EQ(ReadFieldText(field, c.width), text.substr(0, stored));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fields, FieldCutting, testing::Values(
    FieldCase{"Title99", [](TSaverSettings& s) { return s.Title; }, 0, 100, 99},
    FieldCase{"Title100", [](TSaverSettings& s) { return s.Title; }, 0, 100, 100},
    FieldCase{"Title120", [](TSaverSettings& s) { return s.Title; }, 0, 100, 120},
    FieldCase{"FaceName20", [](TSaverSettings& s) { return s.PictureTexts[0].Font.Name; }, 358, 20, 20},
    FieldCase{"FaceName25", [](TSaverSettings& s) { return s.PictureTexts[3].Font.Name; }, 1237, 20, 25},
    FieldCase{"Caption300", [](TSaverSettings& s) { return s.PictureTexts[0].Text; }, 102, 256, 300},
    FieldCase{"LastCaption300", [](TSaverSettings& s) { return s.PictureTexts[255].Text; }, 74817, 256, 300},
    FieldCase{"SoundExt4", [](TSaverSettings& s) { return s.SoundExt; }, 75142, 5, 4},
    FieldCase{"SoundExt5", [](TSaverSettings& s) { return s.SoundExt; }, 75142, 5, 5},
    FieldCase{"Description3000", [](TSaverSettings& s) { return s.Description.DescriptionText; }, 75148, 2049, 3000},
    FieldCase{"WebAddress255", [](TSaverSettings& s) { return s.Description.WebAddress; }, 77197, 256, 255},
    FieldCase{"CompanyName256", [](TSaverSettings& s) { return s.Description.CompanyName; }, 77453, 256, 256},
    FieldCase{"RightsNotice300", [](TSaverSettings& s) { return s.Description.RightsNotice; }, 77709, 256, 300}),
    [](const testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST(FieldText, ShorterTextLeavesBytesAfterItsTerminator) {
    TSaverSettings s;
    InitSaverSettings(s);
    WriteFieldText(s.PictureTexts[0].Font.Name, "Arial");
    const char expected[20] = {'A', 'r', 'i', 'a', 'l', 0, 's', ' ', 'S', 'e', 'r', 'i', 'f'};
    EXPECT_EQ(std::memcmp(s.PictureTexts[0].Font.Name, expected, 20), 0);
    EXPECT_EQ(ReadFieldText(s.PictureTexts[0].Font.Name), "Arial");
}

TEST(FieldText, FiveByteSoundExtLeavesShowDescription) {
    TSaverSettings s;
    InitSaverSettings(s);
    s.Description.ShowDescription = 1;
    WriteFieldText(s.SoundExt, ".flac");
    EXPECT_EQ(std::string(s.SoundExt, 5), ".flac");
    EXPECT_EQ(s.Description.ShowDescription, 1);
    EXPECT_EQ(ReadFieldText(s.SoundExt), ".flac");
}

TEST(FontConversion, FontToSaverFontWritesEveryByte) {
    TSaverSettings s;
    InitSaverSettings(s);
    TFont font{"Arial", 12, static_cast<uint8_t>(fsBold | fsUnderline | 0xF0), RGBColor(1, 2, 3)};
    FontToSaverFont(font, s.PictureTexts[0].Font);
    const unsigned char expected[29] = {'A', 'r', 'i', 'a', 'l',  0, 's', ' ', 'S', 'e',
                                        'r', 'i', 'f', 0,   0,    0, 0,   0,   0,   0,
                                        12,  0,   0,   0,   0x05, 1, 2,   3,   0};
    EXPECT_EQ(std::memcmp(&s.PictureTexts[0].Font, expected, 29), 0);
    EXPECT_EQ(+s.PictureTexts[0].Position, 1);
}

TEST(FontConversion, FaceNameOfTwentyBytesOrMore) {
    TSaverSettings s;
    InitSaverSettings(s);
    TSaverPictureText& slot = s.PictureTexts[1];
    for (std::string name : {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRSTUVWXY"}) {
        FontToSaverFont(TFont{name, 14, fsItalic, 65280}, slot.Font);
        EXPECT_EQ(std::string(slot.Font.Name, 20), "ABCDEFGHIJKLMNOPQRST");
        EXPECT_EQ(+slot.Font.Size, 14);
        EXPECT_EQ(slot.Font.Style, fsItalic);
        EXPECT_EQ(+slot.Font.Color, 65280);
        EXPECT_EQ(+slot.Position, 1);
        TFont back;
        SaverFontToFont(slot.Font, back);
        EXPECT_EQ(back, (TFont{"ABCDEFGHIJKLMNOPQRST", 14, fsItalic, 65280}));
    }
}

TEST(FontConversion, SaverFontToFontKeepsFaceWhenNameIsEmpty) {
    TSaverFont saverFont = {};
    saverFont.Size = 9;
    saverFont.Style = static_cast<uint8_t>(fsStrikeOut | 0xE0);
    saverFont.Color = RGBColor(255, 0, 0);
    TFont font{"Courier", 30, fsBold, 0};
    SaverFontToFont(saverFont, font);
    EXPECT_EQ(font, (TFont{"Courier", 9, fsStrikeOut, 255}));
}

TEST(FontConversion, ChineseFaceNameTravelsAsGbk) {
    TSaverFont saverFont = {};
    FontToSaverFont(TFont{"宋体", 10, 0, 0}, saverFont);
    EXPECT_EQ(std::string(saverFont.Name, 5), "\xCB\xCE\xCC\xE5\0"s);
    TFont font;
    SaverFontToFont(saverFont, font);
    EXPECT_EQ(font.Name, "宋体");
}

}  // namespace
