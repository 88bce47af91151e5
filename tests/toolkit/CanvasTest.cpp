#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <vector>

#include "support/RecordingCanvas.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Canvas.h"

namespace {

// A w x h bitmap whose pixel (x, y) has the colour Code(x, y).
TColor Code(int x, int y) {
    return RGBColor(x + 1, y + 1, 0x80);
}

void Paint(TBitmap& b) {
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            b.SetPixel(x, y, Code(x, y));
        }
    }
}

constexpr TColor Black = 0;

// Every pixel of the canvas against want(x, y).
template <typename F>
void ExpectPixels(const TRecordingCanvas& c, int w, int h, F want) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(c.Pixel(x, y), want(x, y)) << x << "," << y;
        }
    }
}

}  // namespace

TEST(CanvasFill, SolidFillsTheClippedRectangleOnly) {
    TRecordingCanvas c(6, 4);
    EXPECT_EQ(c.Brush().Color, clWhite);
    EXPECT_EQ(c.Brush().Bitmap, nullptr);
    c.Brush().Color = RGBColor(1, 2, 3);
    c.FillRect({-2, 1, 3, 9});
    ExpectPixels(c, 6, 4, [&](int x, int y) {
        bool inside = x < 3 && y >= 1;
        return inside ? RGBColor(1, 2, 3) : Black;
    });
    ASSERT_EQ(c.ChangedRects.size(), 1u);
    EXPECT_EQ(c.ChangedRects[0], Rect(0, 1, 3, 4));
    c.FillRect({7, 0, 9, 4});
    c.FillRect({2, 2, 2, 4});
    EXPECT_EQ(c.ChangedRects.size(), 1u);
}

TEST(CanvasFill, PatternIsTiledFromTheCanvasOrigin) {
    TBitmap pattern(3, 2);
    Paint(pattern);
    TRecordingCanvas c(8, 5);
    c.Brush().Bitmap = &pattern;
    c.FillRect({1, 1, 7, 5});
    ExpectPixels(c, 8, 5, [&](int x, int y) {
        bool inside = x >= 1 && x < 7 && y >= 1;
        return inside ? Code(x % 3, y % 2) : Black;
    });
    EXPECT_EQ(c.ChangedRects.back(), Rect(1, 1, 7, 5));
    c.Brush().Reset();
    EXPECT_EQ(c.Brush().Bitmap, nullptr);
    EXPECT_EQ(c.Brush().Color, clWhite);
}

TEST(CanvasFill, PatternOfTheCanvasOwnBitmapLeavesItUnchanged) {
    TBitmap b(5, 3);
    Paint(b);
    b.Canvas().Brush().Bitmap = &b;
    b.Canvas().FillRect({0, 0, 5, 3});
    EXPECT_EQ(b.Pixels(4, 2), Code(4, 2));
}

// Rectangles whose width one pattern row covers: each row is one straight copy of a pattern row.
class CanvasCoveringPattern : public ::testing::TestWithParam<TRect> {};

TEST_P(CanvasCoveringPattern, CopiesPatternRowsStartingOverAtThePatternBottom) {
    TBitmap pattern(24, 7);
    Paint(pattern);
    TRecordingCanvas c(30, 40);
    c.Brush().Bitmap = &pattern;
    const TRect r = GetParam();
    c.FillRect(r);
    ExpectPixels(c, 30, 40, [&](int x, int y) {
        bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
        return inside ? Code(x % 24, y % 7) : Black;
    });
}

INSTANTIATE_TEST_SUITE_P(Rects,
                         CanvasCoveringPattern,
                         ::testing::Values(Rect(5, 0, 8, 40),     // three columns, many rows
                                           Rect(0, 3, 24, 6),     // full pattern width, no wrap
                                           Rect(25, 2, 30, 33),   // second tile column
                                           Rect(1, 6, 23, 21)));  // starts on the last row

TEST(CanvasCopy, OneToOneIsClippedAtBothEnds) {
    TBitmap src(4, 3);
    Paint(src);
    TRecordingCanvas c(5, 4);
    // Dest starts left of and above the canvas; the source rectangle sticks out on the right.
    c.CopyRect({-1, -1, 4, 2}, src.Canvas(), {0, 0, 5, 3});
    ExpectPixels(c, 5, 4, [&](int x, int y) {
        // Canvas (x, y) takes source (x + 1, y + 1) while that lies inside the source.
        bool inside = y <= 1 && x <= 2;
        return inside ? Code(x + 1, y + 1) : Black;
    });
    ASSERT_EQ(c.ChangedRects.size(), 1u);
    EXPECT_EQ(c.ChangedRects[0], Rect(0, 0, 3, 2));
}

TEST(CanvasCopy, SourceRectangleOutsideTheSourceCopiesNothing) {
    TBitmap src(4, 3);
    TRecordingCanvas c(5, 4);
    c.CopyRect({0, 0, 2, 2}, src.Canvas(), {4, 0, 6, 2});
    c.CopyRect({0, 0, 2, 2}, src.Canvas(), {-3, -3, -1, -1});
    EXPECT_TRUE(c.ChangedRects.empty());
    EXPECT_EQ(c.Pixel(0, 0), Black);
}

struct TScaleCase {
    int SourceWidth;
    int DestWidth;
    std::vector<int> Columns;  // source column of each destination column
};

class CanvasScale : public testing::TestWithParam<TScaleCase> {};

TEST_P(CanvasScale, TakesTheNearestPixelByDroppingOrRepeating) {
    const auto& p = GetParam();
    TBitmap src(p.SourceWidth, p.SourceWidth);
    Paint(src);
    TRecordingCanvas c(p.DestWidth, p.DestWidth);
    c.StretchDraw({0, 0, p.DestWidth, p.DestWidth}, src);
    ExpectPixels(c, p.DestWidth, p.DestWidth, [&](int x, int y) {
        return Code(p.Columns[x], p.Columns[y]);
    });
}

// Column i of the destination takes floor(i * sw / dw) of the source when enlarging.
INSTANTIATE_TEST_SUITE_P(Widths,
                         CanvasScale,
                         testing::Values(TScaleCase{4, 6, {0, 0, 1, 2, 2, 3}},
                                         TScaleCase{2, 5, {0, 0, 0, 1, 1}},
                                         TScaleCase{3, 3, {0, 1, 2}}));

// Shrinking averages: one-pixel black and white stripes keep their mean grey at any ratio,
// where dropping pixels would give all black (2:1) or hard stripes of the wrong width.
TEST(CanvasStretch, ShrinkingFineStripesKeepsTheirMeanGrey) {
    TBitmap stripes(400, 300);
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            stripes.SetPixel(x, y, x % 2 == 0 ? Black : clWhite);
        }
    }
    // 2:1, and the ratio of a 4000 x 3000 photo fitted into 1440 x 1080.
    for (const TRect& dest : {Rect(0, 0, 200, 150), Rect(3, 2, 147, 110)}) {
        TRecordingCanvas c(200, 150);
        c.StretchDraw(dest, stripes);
        for (int y = dest.Top; y < dest.Bottom; ++y) {
            for (int x = dest.Left; x < dest.Right; ++x) {
                const int grey = ColorGreen(c.Pixel(x, y));
                ASSERT_NEAR(grey, 128, 40) << x << "," << y << " of " << dest.Width();
            }
        }
        EXPECT_EQ(c.ChangedRects.back(), dest);
    }
    // Shrinking one way and keeping the other averages only along the shrunk side.
    TRecordingCanvas c(200, 300);
    c.StretchDraw({0, 0, 200, 300}, stripes);
    EXPECT_NEAR(ColorGreen(c.Pixel(50, 50)), 128, 2);
}

TEST(CanvasCopy, ScaledCopyClipsTheDestinationWithoutShiftingTheMapping) {
    TBitmap src(4, 2);
    Paint(src);
    TRecordingCanvas c(4, 4);
    // 4 x 2 source stretched to 8 x 4 at (-3, 1): canvas column x is dest column x + 3,
    // source column (x + 3) / 2; canvas row y is dest row y - 1, source row (y - 1) / 2.
    c.CopyRect({-3, 1, 5, 5}, src.Canvas(), {0, 0, 4, 2});
    const int cols[] = {1, 2, 2, 3};
    const int rows[] = {0, 0, 1};
    ExpectPixels(
        c, 4, 4, [&](int x, int y) { return y >= 1 ? Code(cols[x], rows[y - 1]) : Black; });
    EXPECT_EQ(c.ChangedRects.back(), Rect(0, 1, 4, 4));
}

TEST(CanvasCopy, ScaledSourceRectangleReachingPastTheSourceLeavesThoseColumns) {
    TBitmap src(3, 1);
    Paint(src);
    TRecordingCanvas c(6, 1);
    // Source columns 1..4 into 6 columns: 1,1,2,3,3,4; columns 3 and 4 do not exist.
    c.CopyRect({0, 0, 6, 1}, src.Canvas(), {1, 0, 5, 1});
    const TColor want[] = {Code(1, 0), Code(1, 0), Code(2, 0), Black, Black, Black};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(c.Pixel(x, 0), want[x]) << x;
    }
    EXPECT_EQ(c.ChangedRects.back(), Rect(0, 0, 3, 1));
}

TEST(CanvasCopy, OverlappingCopyWithinOneBitmapReadsTheOldPixels) {
    TBitmap b(4, 4);
    Paint(b);
    b.Canvas().CopyRect({1, 1, 4, 4}, b.Canvas(), {0, 0, 3, 3});
    for (int y = 1; y < 4; ++y) {
        for (int x = 1; x < 4; ++x) {
            EXPECT_EQ(b.Pixels(x, y), Code(x - 1, y - 1)) << x << "," << y;
        }
    }
    Paint(b);
    b.Canvas().CopyRect({0, 0, 3, 3}, b.Canvas(), {1, 1, 4, 4});
    EXPECT_EQ(b.Pixels(0, 0), Code(1, 1));
    EXPECT_EQ(b.Pixels(2, 2), Code(3, 3));
}

TEST(CanvasDraw, DrawsUnscaledAndClipsNegativePositions) {
    TBitmap g(3, 3);
    Paint(g);
    TRecordingCanvas c(4, 4);
    c.Draw(-1, 2, g);
    ExpectPixels(
        c, 4, 4, [&](int x, int y) { return (y >= 2 && x <= 1) ? Code(x + 1, y - 2) : Black; });
    ASSERT_EQ(c.ChangedRects.size(), 1u);
    EXPECT_EQ(c.ChangedRects[0], Rect(0, 2, 2, 4));
    c.Draw(4, 0, g);
    EXPECT_EQ(c.ChangedRects.size(), 1u);
}

TEST(CanvasDraw, StretchDrawRepeatsRowsAndColumnsIntoTheRectangle) {
    TBitmap g(2, 2);
    Paint(g);
    TRecordingCanvas c(5, 5);
    c.StretchDraw({1, 1, 5, 4}, g);
    // Columns 1..4 take source columns 0,0,1,1; rows 1..3 take source rows 0,0,1.
    const int cols[] = {0, 0, 1, 1};
    const int rows[] = {0, 0, 1};
    for (int y = 1; y < 4; ++y) {
        for (int x = 1; x < 5; ++x) {
            EXPECT_EQ(c.Pixel(x, y), Code(cols[x - 1], rows[y - 1])) << x << "," << y;
        }
    }
    EXPECT_EQ(c.Pixel(0, 1), Black);
    EXPECT_EQ(c.Pixel(1, 4), Black);
}

TEST(CanvasDouble, OverridingOnlyFillAndCopyRecordsTheCalls) {
    TRecordingCanvas target;
    TBitmap src(2, 2);
    target.FillRect({0, 0, 1, 1});
    target.CopyRect({0, 0, 2, 2}, src.Canvas(), {0, 0, 2, 2});
    ASSERT_EQ(target.Calls.size(), 2u);
    EXPECT_FALSE(target.Calls[0].Copy);
    EXPECT_TRUE(target.Calls[1].Copy);
    EXPECT_EQ(target.Calls[1].SourceRect, Rect(0, 0, 2, 2));
    EXPECT_TRUE(target.ChangedRects.empty());
    // The other operations draw nothing on a canvas without an image.
    target.TextOut(0, 0, "x");
    target.StretchDraw({0, 0, 4, 4}, src);
}

TEST(BitmapSize, FrameSizedBitmapKeepsPixelsAndGrowsIntoItsBuffer) {
    // 1000 x 600 pixels take 2.4 MB; the buffer is whole 2 MiB pages, room for 1024 x 1024.
    TBitmap b(1000, 600);
    b.SetPixel(999, 599, RGBColor(7, 8, 9));
    EXPECT_EQ(b.Pixels(999, 599), RGBColor(7, 8, 9));
    EXPECT_EQ(b.Pixels(0, 0), clWhite);
    const uchar* before = b.Image().constBits();
    b.SetSize(1024, 1024);
    EXPECT_EQ(b.Image().constBits(), before);
    b.SetPixel(1023, 1023, RGBColor(1, 2, 3));
    EXPECT_EQ(b.Pixels(1023, 1023), RGBColor(1, 2, 3));
    b.SetSize(1024, 1025);
    EXPECT_EQ(b.Height(), 1025);
    b.SetPixel(1023, 1024, RGBColor(4, 5, 6));
    EXPECT_EQ(b.Pixels(1023, 1024), RGBColor(4, 5, 6));
}

TEST(BitmapSize, SmallerSizeKeepsTheBuffer) {
    TBitmap b(10, 10);
    const uchar* before = b.Image().constBits();
    b.SetSize(5, 8);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 8);
    EXPECT_EQ(b.Image().constBits(), before);
    // A copy held elsewhere keeps its pixels: the next size gets a buffer of its own.
    QImage held = b.Image();
    b.SetSize(4, 4);
    EXPECT_NE(b.Image().constBits(), held.constBits());
    EXPECT_EQ(held.width(), 5);
}

// Every channel of every pixel lies within a unit of its exact mix, at the ends exactly the
// picture; at widths that do and do not fill whole vectors of the mixing loop, and clipped to the
// smaller picture.
TEST(CanvasMix, EachChannelInProportionClippedToBothPictures) {
    for (int w : {1, 7, 8, 9, 33}) {
        for (double amount : {0.0, 0.25, 0.5, 0.8, 1.0}) {
            TBitmap from(w, 3), to(w + 2, 2);
            Paint(from);
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < w + 2; ++x) {
                    to.SetPixel(x, y, RGBColor(255 - x, 0, 3 * y));
                }
            }
            TRecordingCanvas c(w + 1, 4);
            c.DrawMixed(Rect(-1, 0, w + 5, 9), from, to, amount);
            ASSERT_EQ(c.ChangedRects.size(), 1u);
            EXPECT_EQ(c.ChangedRects[0], Rect(0, 0, w, 2));
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < w + 1; ++x) {
                    const TColor got = c.Pixel(x, y);
                    if (x >= w || y >= 2) {
                        ASSERT_EQ(got, Black) << w << " " << x << "," << y;
                        continue;
                    }
                    const TColor a = from.Pixels(x, y), b = to.Pixels(x, y);
                    if (amount == 0 || amount == 1) {
                        ASSERT_EQ(got, amount == 0 ? a : b);
                    }
                    auto near = [&](int ca, int cb, int cg) {
                        return std::abs(ca + (cb - ca) * amount - cg) <= 1;
                    };
                    ASSERT_TRUE(near(ColorRed(a), ColorRed(b), ColorRed(got)) &&
                                near(ColorGreen(a), ColorGreen(b), ColorGreen(got)) &&
                                near(ColorBlue(a), ColorBlue(b), ColorBlue(got)))
                        << w << " " << amount << " " << x << "," << y;
                }
            }
        }
    }
}

// A screen-sized drawing is split between two threads by rows: the result is the one drawing of
// the whole, with no seam where the halves meet, and a mix fills both halves.
TEST(CanvasBands, ScreenSizedDrawingIsOneDrawing) {
    const int w = 800, h = 700;
    TBitmap graphic(w / 2, h / 2), other(w, h);
    Paint(graphic);
    Paint(other);
    QImage want(w, h, QImage::Format_RGB32);
    want.fill(0xFF000000u);
    {
        QPainter painter(&want);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(0.6);
        painter.drawImage(QRectF(10.5, 20, w - 30, h - 30.25), graphic.Image());
    }
    TRecordingCanvas c(w, h);
    c.DrawSmooth(10.5, 20, w - 30, h - 30.25, graphic, 0.6);
    EXPECT_EQ(*c.Image(), want);
    TBitmap plain(w, h);
    TRecordingCanvas mixed(w, h);
    mixed.DrawMixed(Rect(0, 0, w, h), plain, other, 1);
    EXPECT_EQ(*mixed.Image(), other.Image());
}
