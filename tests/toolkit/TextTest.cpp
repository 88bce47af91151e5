#include <gtest/gtest.h>

#include <QFontInfo>
#include <cstdint>
#include <set>

#include "toolkit/Bitmap.h"
#include "toolkit/QtFont.h"

namespace {

// The pixels of one string written in white on black without a cell fill.
std::set<std::pair<int, int>> InkOf(const std::string& text, const std::string& face) {
    TBitmap b(64, 40);
    b.Canvas().Brush().Color = clBlack;
    b.Canvas().FillRect({0, 0, 64, 40});
    b.Canvas().Font().Name = face;
    b.Canvas().Font().Size = 16;
    b.Canvas().Font().Color = clWhite;
    b.Canvas().TextOut(4, 4, text);
    std::set<std::pair<int, int>> ink;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (b.Pixels(x, y) != clBlack) {
                ink.insert({x, y});
            }
        }
    }
    return ink;
}

}  // namespace

class FontPixelSizeTest : public testing::TestWithParam<std::pair<int, int>> {};

TEST_P(FontPixelSizeTest, PointsBecomePixelsAt96Dpi) {
    TFont font;
    font.Size = GetParam().first;
    EXPECT_EQ(ToQFont(font).pixelSize(), GetParam().second);
}

// points * 96 / 72, rounded half up.
INSTANTIATE_TEST_SUITE_P(Sizes,
                         FontPixelSizeTest,
                         testing::Values(std::pair{10, 13},
                                         std::pair{8, 11},
                                         std::pair{9, 12},
                                         std::pair{11, 15},
                                         std::pair{12, 16},
                                         std::pair{24, 32},
                                         std::pair{72, 96},
                                         std::pair{-10, 13},
                                         std::pair{0, 1},
                                         // 2^31 * 96 / 72 and (2^31 - 1) * 96 / 72 pass INT32_MAX.
                                         std::pair{INT32_MIN, INT32_MAX},
                                         std::pair{INT32_MAX, INT32_MAX}));

TEST(QtFont, FacesMapToInstalledFonts) {
    const std::pair<const char*, const char*> faces[] = {
        {"宋体", "WenQuanYi Micro Hei"},
        {"SimSun", "WenQuanYi Micro Hei"},
        {"MS Sans Serif", "Liberation Sans"},
        {"Arial", "Liberation Sans"},
        {"Liberation Mono", "Liberation Mono"},
    };
    for (auto [name, installed] : faces) {
        TFont font;
        font.Name = name;
        EXPECT_EQ(QFontInfo(ToQFont(font)).family().toStdString(), installed) << name;
    }
}

TEST(QtFont, StyleBitsGoBothWaysAndTheColourStays) {
    TFont font;
    font.Name = "宋体";
    font.Size = 12;
    font.Style = fsBold | fsUnderline;
    font.Color = RGBColor(10, 20, 30);
    QFont q = ToQFont(font);
    EXPECT_TRUE(q.bold());
    EXPECT_FALSE(q.italic());
    EXPECT_TRUE(q.underline());
    EXPECT_FALSE(q.strikeOut());

    QFont dialog("Liberation Sans");
    dialog.setPointSize(14);
    dialog.setItalic(true);
    dialog.setStrikeOut(true);
    FromQFont(dialog, font);
    EXPECT_EQ(font.Name, "Arial");
    EXPECT_EQ(font.Size, 14);
    EXPECT_EQ(font.Style, fsItalic | fsStrikeOut);
    EXPECT_EQ(font.Color, RGBColor(10, 20, 30));

    FromQFont(q, font);
    EXPECT_EQ(font.Name, "宋体");
    EXPECT_EQ(font.Size, 12);  // 16 px at 96 dpi

    // A face that shares its installed face with another keeps its own name through a dialog.
    font.Name = "MS Sans Serif";
    FromQFont(ToQFont(font), font);
    EXPECT_EQ(font.Name, "MS Sans Serif");
    font.Name = "SimSun";
    FromQFont(ToQFont(font), font);
    EXPECT_EQ(font.Name, "SimSun");
    FromQFont(QFont("Liberation Sans"), font);
    EXPECT_EQ(font.Name, "Arial");
}

TEST(CanvasText, InkStaysInsideTheMeasuredCellWhichTheBrushFills) {
    const TColor background = RGBColor(0, 0, 0);
    const TColor brush = RGBColor(0, 0, 200);
    TBitmap b(300, 60);
    TCanvas& c = b.Canvas();
    c.Brush().Color = background;
    c.FillRect({0, 0, 300, 60});
    c.Brush().Color = brush;
    c.Font().Name = "MS Sans Serif";
    c.Font().Size = 10;
    c.Font().Color = RGBColor(255, 255, 0);
    const std::string text = "Kavro 你好 Ag";
    const int w = c.TextWidth(text);
    const int h = c.TextHeight(text);
    ASSERT_GT(w, 40);
    EXPECT_EQ(c.TextHeight("x\r\ny\nz"), h);
    EXPECT_EQ(c.TextHeight(""), h);
    c.TextOut(20, 10, text);
    int ink = 0, fill = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 300; ++x) {
            const bool inCell = x >= 20 && x < 20 + w && y >= 10 && y < 10 + h;
            const TColor p = b.Pixels(x, y);
            if (!inCell) {
                ASSERT_EQ(p, background) << x << "," << y;
            } else if (p == brush) {
                ++fill;
            } else {
                ++ink;
            }
        }
    }
    EXPECT_GT(ink, 50);
    EXPECT_GT(fill, w * h / 2);
    EXPECT_EQ(b.Pixels(20, 10), brush);
}

TEST(CanvasText, PatternBrushLeavesTheCellUnfilled) {
    TBitmap pattern(1, 1);
    pattern.SetPixel(0, 0, RGBColor(9, 9, 9));
    TBitmap b(100, 30);
    b.Canvas().Brush().Color = clBlack;
    b.Canvas().FillRect({0, 0, 100, 30});
    b.Canvas().Brush().Bitmap = &pattern;
    b.Canvas().TextOut(0, 0, "ii");
    EXPECT_EQ(b.Pixels(0, 0), clBlack);
}

TEST(CanvasText, ChineseRendersAsDistinctGlyphsNotBoxes) {
    for (const char* face : {"宋体", "MS Sans Serif"}) {
        auto ni = InkOf("你", face);
        auto hao = InkOf("好", face);
        auto kou = InkOf("口", face);
        EXPECT_GT(ni.size(), 20u) << face;
        EXPECT_NE(ni, hao) << face;
        EXPECT_NE(hao, kou) << face;
        EXPECT_NE(ni, kou) << face;
    }
}
