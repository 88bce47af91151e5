#include <gtest/gtest.h>

#include "ShowFixture.h"

namespace {

// ---- The date a photo was taken

class DateTest : public ShowTest {
protected:
    void ShowDates(TTextPosition corner) {
        TShowExtras extras;
        extras.ShowDates = true;
        extras.DateCorner = corner;
        WriteShowExtras(Settings, extras);
    }

    // Where the target's white pixels lie, the date's letters being white.
    TRect WhiteBounds() {
        TRect r{Target->Width(), Target->Height(), -1, -1};
        for (int y = 0; y < Target->Height(); ++y) {
            for (int x = 0; x < Target->Width(); ++x) {
                const TColor c = Target->Pixels(x, y);
                if (ColorRed(c) > 235 && ColorGreen(c) > 235 && ColorBlue(c) > 235) {
                    r = {std::min(r.Left, x),
                         std::min(r.Top, y),
                         std::max(r.Right, x + 1),
                         std::max(r.Bottom, y + 1)};
                }
            }
        }
        return r.Right < 0 ? TRect{} : r;
    }
};

TEST_F(DateTest, EachCornerHoldsTheDate) {
    const int w = 600, h = 300;
    for (int corner = tpTopLeft; corner <= tpBottomRight; ++corner) {
        SCOPED_TRACE(corner);
        InitSaverSettings(Settings);
        Settings.SequentialOrder = 1;
        Settings.StretchImages = 1;
        OnlyEffect(9);
        ShowDates(static_cast<TTextPosition>(corner));
        SetPictures(1, w, h);
        Pictures[0]->TakenOn = {2024, 5, 3};
        Make(w, h);
        Owner->Start();
        ASSERT_TRUE(Timer().Fire());
        const TRect date = WhiteBounds();
        ASSERT_FALSE(date.IsEmpty());
        const int centreX = (date.Left + date.Right) / 2, centreY = (date.Top + date.Bottom) / 2;
        EXPECT_EQ(centreX * 3 / w, corner % 3) << centreX;
        EXPECT_EQ(centreY * 2 / h, corner <= tpTopRight ? 0 : 1) << centreY;
        // Letters a thirtieth of the screen high, well inside it.
        EXPECT_GE(date.Height(), h / 30 / 2);
        EXPECT_LE(date.Height(), h / 30 * 2);
        EXPECT_GT(date.Left, 0);
        EXPECT_LT(date.Right, w);
        TCbScreenSaver::Stop(Owner);
    }
}

TEST_F(DateTest, OnlyPicturesWithADateAndWithoutACaptionShowOne) {
    ShowDates(tpBottomRight);
    SetPictures(3, 400, 300);
    Pictures[0]->TakenOn = {2024, 5, 3};
    Pictures[1]->TakenOn = {2024, 5, 3};
    WriteFieldText(Settings.PictureTexts[1].Text, "Own caption");
    Make(400, 300);
    Owner->Start();
    std::vector<bool> dated;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Timer().Fire());
        dated.push_back(!WhiteBounds().IsEmpty());
    }
    EXPECT_EQ(dated, (std::vector<bool>{true, false, false}));

    // Without the choice no date appears.
    TCbScreenSaver::Stop(Owner);
    WriteShowExtras(Settings, TShowExtras{});
    Make(400, 300);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    EXPECT_TRUE(WhiteBounds().IsEmpty());
}

// ---- Geometry of the picture in the frame

struct FitCase {
    int W, H;
    bool Stretch;
    TRect Expected;
};

class FitTest : public ShowTest, public ::testing::WithParamInterface<FitCase> {};

TEST_P(FitTest, PicturePlacedOnA1024x768Screen) {
    const FitCase& c = GetParam();
    Settings.StretchImages = c.Stretch;
    Settings.PictureCount = 1;
    Pictures[0] = Solid(c.W, c.H, Red);
    Make(1024, 768);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    EXPECT_EQ(BoundsOfNot(Back), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Fit,
                         FitTest,
                         ::testing::Values(FitCase{800, 600, true, {0, 0, 1024, 768}},
                                           FitCase{400, 600, true, {256, 0, 768, 768}},
                                           FitCase{1600, 600, true, {0, 192, 1024, 576}},
                                           FitCase{100, 100, true, {128, 0, 896, 768}},
                                           FitCase{1100, 700, false, {0, 34, 1024, 734}},
                                           FitCase{10, 11, false, {507, 378, 517, 389}}));

// An unscaled picture larger than the screen is cut: its pixel (38, 0) lands on (0, 34).
TEST_F(ShowTest, UnscaledLargePictureGetsANegativeOffset) {
    Settings.StretchImages = 0;
    Settings.PictureCount = 1;
    Pictures[0] = std::make_unique<TBitmap>(1100, 700);
    for (int y = 0; y < 700; ++y) {
        for (int x = 0; x < 1100; ++x) {
            Pictures[0]->SetPixel(x, y, RGBColor(x % 256, y % 256, x / 256 * 16 + y / 256));
        }
    }
    Make(1024, 768);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    EXPECT_EQ(Target->Pixels(0, 34), RGBColor(38, 0, 0));
    EXPECT_EQ(Target->Pixels(1023, 733), RGBColor(1061 % 256, 699 % 256, 4 * 16 + 2));
    EXPECT_EQ(Target->Pixels(0, 33), Back);
}

// Tiny frames worked out pixel by pixel.
TEST_F(ShowTest, TinyGoldenFrames) {
    const TColor a = RGBColor(200, 0, 0), b = RGBColor(0, 200, 0);
    auto twoByOne = std::make_unique<TBitmap>(2, 1);
    twoByOne->SetPixel(0, 0, a);
    twoByOne->SetPixel(1, 0, b);
    Settings.PictureCount = 1;
    Pictures[0] = std::move(twoByOne);
    Make(4, 4);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    // Fitted: 4 wide, round(4 / 2) = 2 high at y = 1, each source column twice.
    const TColor fitted[4][4] = {
        {Back, Back, Back, Back}, {a, a, b, b}, {a, a, b, b}, {Back, Back, Back, Back}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Target->Pixels(x, y), fitted[y][x]) << x << "," << y;
        }
    }
    TCbScreenSaver::Stop(Owner);

    // Unscaled 7 x 7 on 4 x 4: (4 - 7) div 2 = -1 (truncated, not -2), so pixel (1, 1) of the
    // picture is at the origin.
    auto seven = std::make_unique<TBitmap>(7, 7);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            seven->SetPixel(x, y, RGBColor(x, y, 9));
        }
    }
    Settings.StretchImages = 0;
    Pictures[0] = std::move(seven);
    Make(4, 4);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Target->Pixels(x, y), RGBColor(x + 1, y + 1, 9)) << x << "," << y;
        }
    }
}

// Target (0, 0, 1024, 768): the scaled frame is 1025 x 769, so the effect reveals one more
// column and row than the rectangle holds.
TEST_F(ShowTest, TargetBitmapIsOnePixelLargerThanTheRectangle) {
    Settings.PictureCount = 1;
    Pictures[0] = Solid(4, 3, Red);
    MakeOn(1024, 768, Rect(0, 0, 1024, 768), 1030, 775);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    EXPECT_EQ(BoundsOfNot(Back), Rect(0, 0, 1025, 769));
}

// ---- Captions

void SetCaption(TSaverPictureText& slot, const std::string& text, int32_t position, TColor color) {
    WriteFieldUtf8(slot.Text, text);
    slot.Position = position;
    slot.Font.Color = color;
}

class CaptionTest : public ShowTest {
protected:
    // The row bands of caption cells on a red picture that fills the screen.
    std::vector<TRect> Cells(const std::string& text, int32_t position, int sw, int sh) {
        Settings.PictureCount = 1;
        Pictures[0] = Solid(sw, sh, Red);
        SetCaption(Settings.PictureTexts[0], text, position, RGBColor(0, 255, 0));
        Settings.PictureTexts[0].Left = 30;
        Settings.PictureTexts[0].Top = 40;
        Make(sw, sh);
        Owner->Start();
        EXPECT_TRUE(Timer().Fire());
        std::vector<TRect> cells;
        int y = 0;
        while (y < sh) {
            TRect row = BoundsOfNot(Red, y, y + 1);
            if (row.IsEmpty()) {
                ++y;
                continue;
            }
            int bottom = y;
            while (bottom < sh && !BoundsOfNot(Red, bottom, bottom + 1).IsEmpty()) {
                ++bottom;
            }
            cells.push_back(BoundsOfNot(Red, y, bottom));
            y = bottom;
        }
        return cells;
    }

    // Text measures in the caption's font, taken from the drawing services.
    int Width(const std::string& s) {
        TBitmap b(1, 1);
        SaverFontToFont(Settings.PictureTexts[0].Font, b.Canvas().Font());
        return b.Canvas().TextWidth(s);
    }
    int LineHeight() {
        TBitmap b(1, 1);
        SaverFontToFont(Settings.PictureTexts[0].Font, b.Canvas().Font());
        return b.Canvas().TextHeight("X");
    }
};

// Two lines at the bottom centre with a 15-pixel line on a screen 768 high: 768 - (30 + 8 + 16) =
// 714 (7.5 rounds to 8), then 714 + 22 = 736 (22.5 rounds to 22).
TEST_F(CaptionTest, TwoLinesBottomCentre) {
    int size = 1;
    for (; size < 40; ++size) {
        Settings.PictureTexts[0].Font.Size = size;
        if (LineHeight() == 15) {
            break;
        }
    }
    ASSERT_EQ(LineHeight(), 15) << "no font size gives a 15-pixel line";
    std::vector<TRect> cells = Cells("Hello\r\nWorld!", 4, 400, 768);
    ASSERT_EQ(cells.size(), 2u);
    const int x = (400 - Width("Hello")) / 2;
    EXPECT_EQ(cells[0], Rect(x, 714, x + Width("Hello"), 729));
    EXPECT_EQ(cells[1].Top, 736);
    EXPECT_EQ(cells[1].Bottom, 751);
    EXPECT_EQ(cells[1].Left, (400 - Width("World!")) / 2);
    EXPECT_EQ(cells[1].Width(), Width("World!"));
}

struct PlacementCase {
    int32_t Position;
    char Kind;  // 'L' left, 'C' centre, 'R' right, 'U' user-defined (x 30); top or bottom below
    bool Bottom;
};

class PlacementTest : public CaptionTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, FirstCellOfAOneLineCaption) {
    const PlacementCase& c = GetParam();
    const std::string text = "Ab";
    std::vector<TRect> cells = Cells(text, c.Position, 320, 240);
    ASSERT_EQ(cells.size(), 1u);
    const int w = Width(text), lh = LineHeight();
    const int x = c.Kind == 'L'   ? 16
                  : c.Kind == 'C' ? (320 - w) / 2
                  : c.Kind == 'R' ? 320 - w - 16
                                  : 30;
    const int y = c.Kind == 'U' ? 40 : c.Bottom ? 240 - (lh + 16) : 16;
    EXPECT_EQ(cells[0], Rect(x, y, x + w, y + lh));
}

INSTANTIATE_TEST_SUITE_P(Positions,
                         PlacementTest,
                         ::testing::Values(PlacementCase{0, 'L', false},
                                           PlacementCase{1, 'C', false},
                                           PlacementCase{2, 'R', false},
                                           PlacementCase{3, 'L', true},
                                           PlacementCase{4, 'C', true},
                                           PlacementCase{5, 'R', true},
                                           PlacementCase{6, 'U', false},
                                           PlacementCase{7, 'U', false},
                                           PlacementCase{-1, 'U', false},
                                           PlacementCase{INT32_MIN, 'U', false}));

TEST_F(CaptionTest, EmptyCaptionDrawsNothing) {
    EXPECT_TRUE(Cells("", 1, 120, 90).empty());
}

// A break at the end adds no line; an empty line in between counts.
TEST_F(CaptionTest, LineBreaksCountAsTheLineRuleSays) {
    const int lh = LineHeight();
    std::vector<TRect> trailing = Cells("Ab\r\n", 3, 200, 300);
    ASSERT_EQ(trailing.size(), 1u);
    EXPECT_EQ(trailing[0].Top, 300 - (lh + 16));
    TCbScreenSaver::Stop(Owner);

    std::vector<TRect> gap = Cells("Ab\n\nCd", 3, 200, 300);
    ASSERT_EQ(gap.size(), 2u);
    const int first = 300 - (3 * lh + static_cast<int>(std::nearbyint(lh)) + 16);
    const int pitch = static_cast<int>(std::nearbyint(lh * 1.5));
    EXPECT_EQ(gap[0].Top, first);
    EXPECT_EQ(gap[1].Top, first + 2 * pitch);
}

// A caption written in GBK is drawn as the same text in UTF-8.
TEST_F(CaptionTest, GbkTextIsConverted) {
    const std::string text = "你好";
    std::vector<TRect> cells = Cells(text, 0, 200, 100);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].Width(), Width(text));
}

// ---- Title screen

struct TitleCase {
    int SW, SH;
    int TitleY, DescriptionX, DescriptionY, BottomY;
};

class TitleTest : public ShowTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(TitleTest, RowsSitAtTheScreenFractions) {
    const TitleCase& p = GetParam();
    Settings.Description.ShowDescription = 1;
    Settings.BackColor = RGBColor(20, 30, 40);
    WriteFieldUtf8(Settings.Title, "海边");
    WriteFieldUtf8(Settings.Description.DescriptionText, "第一行\r\nSecond line");
    WriteFieldUtf8(Settings.Description.WebAddress, "www.example.org");
    // The company row stays empty; the rights notice keeps its place below it.
    WriteFieldUtf8(Settings.Description.RightsNotice, "(c) 2026");
    SetPictures(1, 4, 3);
    Make(p.SW, p.SH);
    Owner->Start();
    ASSERT_EQ(Frames(2), (std::vector<int>{1, 0}));

    TBitmap expected(p.SW, p.SH);
    TCanvas& c = expected.Canvas();
    c.Brush().Color = RGBColor(20, 30, 40);
    c.FillRect(c.ClipRect());
    const std::string title = "海边 Screen Saver";
    c.Font() = TFont{};
    c.Font().Size = 24;
    c.Font().Color = RGBColor(0, 255, 0);
    c.Font().Style = fsBold | fsItalic;
    c.TextOut((p.SW - c.TextWidth(title)) / 2, p.TitleY, title);
    c.Font().Style = fsBold;
    c.Font().Size = 12;
    c.Font().Color = RGBColor(255, 255, 0);
    c.TextOut(p.DescriptionX, p.DescriptionY, "第一行");
    c.TextOut(p.DescriptionX, p.DescriptionY + 49, "Second line");
    c.Font().Size = 10;
    c.Font().Color = clWhite;
    c.TextOut((p.SW - c.TextWidth("www.example.org")) / 2, p.BottomY, "www.example.org");
    c.TextOut((p.SW - c.TextWidth("(c) 2026")) / 2, p.BottomY + 32, "(c) 2026");

    int differing = 0;
    for (int y = 0; y < p.SH; ++y) {
        for (int x = 0; x < p.SW; ++x) {
            differing += Target->Pixels(x, y) != expected.Pixels(x, y);
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_FALSE(BoundsOfNot(RGBColor(20, 30, 40)).IsEmpty());
}

// Exact products that end in .5 go to the even neighbour: 1050 x 0.17 = 178.5 -> 178,
// 650 x 0.17 = 110.5 -> 110, 1250 x 0.17 = 212.5 -> 212, 650 x 0.75 = 487.5 -> 488,
// 1450 x 0.17 = 246.5 -> 246, 625 x 0.34 = 212.5 -> 212, 625 x 0.75 = 468.75 -> 469.
INSTANTIATE_TEST_SUITE_P(Screens,
                         TitleTest,
                         ::testing::Values(TitleCase{1680, 1050, 178, 286, 357, 788},
                                           TitleCase{1250, 650, 110, 212, 221, 488},
                                           TitleCase{1450, 625, 106, 246, 212, 469}));

}  // namespace
