#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "engine/CaScreenSaverMain.h"
#include "engine/CbScreenSaver.h"
#include "support/FakeScreen.h"
#include "support/FakeTimer.h"
#include "support/RecordingMediaControl.h"
#include "support/RecordingWavePlayer.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Random.h"

namespace {

constexpr TColor Back = RGBColor(0, 0, 255);
constexpr TColor Red = RGBColor(255, 0, 0);

// Picture k of a test show is a solid bitmap of colour Shade(k), unless a test sets it.
TColor Shade(int k) {
    return RGBColor(10 * (k + 1), 100, 0);
}

std::unique_ptr<TBitmap> Solid(int w, int h, TColor c) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas().Brush().Color = c;
    b->Canvas().FillRect(b->Canvas().ClipRect());
    return b;
}

// A show whose pictures are bitmaps held by the test; records what it was asked for.
class TTestSaver : public TCbScreenSaver {
public:
    TTestSaver(TCanvas& target,
               const TRect& rect,
               const TSaverSettings& settings,
               const TShowServices& services,
               std::map<int, std::unique_ptr<TBitmap>>& pictures,
               std::vector<int>& asked,
               int& destroyed)
        : TCbScreenSaver(target, rect, settings, false, services)
        , FPictures(pictures)
        , FAsked(asked)
        , FDestroyed(destroyed) {}
    ~TTestSaver() override { ++FDestroyed; }

    std::string SoundName;
    std::function<void()> OnGetPicture;

protected:
    const TBitmap& GetPicture(int32_t index) override {
        FAsked.push_back(index);
        if (OnGetPicture) {
            OnGetPicture();
        }
        return *FPictures.at(index);
    }
    std::string GetSoundFileName() override { return SoundName; }

private:
    std::map<int, std::unique_ptr<TBitmap>>& FPictures;
    std::vector<int>& FAsked;
    int& FDestroyed;
};

class ShowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitSaverSettings(Settings);
        Settings.BackColor = Back;
        Settings.IntervalSeconds = 5;
        Settings.SequentialOrder = 1;
        Settings.StretchImages = 1;
        OnlyEffect(9);
        RandSeed = 0;
    }

    void OnlyEffect(int effect) {
        for (auto& flag : Settings.Transitions) {
            flag = 0;
        }
        Settings.Transitions[effect - 1] = 1;
    }

    void SetPictures(int count, int w, int h) {
        Settings.PictureCount = static_cast<uint8_t>(count);
        for (int k = 0; k < count; ++k) {
            Pictures[k] = Solid(w, h, Shade(k));
        }
    }

    // A screen of w x h shown on a target of the same size, so the target shows the frame
    // pixel for pixel once the (wipe) effect has run.
    void Make(int w, int h) { MakeOn(w, h, Rect(0, 0, w - 1, h - 1), w, h); }

    void MakeOn(int sw, int sh, const TRect& rect, int tw, int th) {
        Screen = std::make_unique<TFakeScreen>(sw, sh);
        Target = std::make_unique<TBitmap>(tw, th);
        TShowServices services{Timers, *Screen, Media, Wave};
        services.ScreenIndex = ScreenIndex;
        auto saver = std::make_unique<TTestSaver>(
            Target->Canvas(), rect, Settings, services, Pictures, Asked, Destroyed);
        Saver = saver.get();
        Owner = std::move(saver);
    }

    TFakeTimer& Timer() { return *Timers.Last; }

    // Fires n ticks; answers what each showed: k for picture k (1-based), 0 for the title.
    std::vector<int> Frames(int n) {
        std::vector<int> shown;
        for (int i = 0; i < n; ++i) {
            size_t before = Asked.size();
            EXPECT_TRUE(Timer().Fire());
            shown.push_back(Asked.size() > before ? Asked.back() + 1 : 0);
        }
        return shown;
    }

    // The smallest rectangle holding every target pixel in `rows` that is not `other`.
    TRect BoundsOfNot(TColor other, int top = 0, int bottom = -1) {
        if (bottom < 0) {
            bottom = Target->Height();
        }
        TRect r{Target->Width(), bottom, -1, -1};
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < Target->Width(); ++x) {
                if (Target->Pixels(x, y) != other) {
                    r = {std::min(r.Left, x),
                         std::min(r.Top, y),
                         std::max(r.Right, x + 1),
                         std::max(r.Bottom, y + 1)};
                }
            }
        }
        return r.Right < 0 ? TRect{} : r;
    }

    TSaverSettings Settings{};
    TFakeTimerFactory Timers;
    TRecordingMediaControl Media;
    TRecordingWavePlayer Wave;
    std::unique_ptr<TFakeScreen> Screen;
    std::unique_ptr<TBitmap> Target;
    std::map<int, std::unique_ptr<TBitmap>> Pictures;
    std::vector<int> Asked;
    int Destroyed = 0;
    TTestSaver* Saver = nullptr;
    std::unique_ptr<TCbScreenSaver> Owner;
    int ScreenIndex = 0;
};

// ---- Order of frames

struct SequenceCase {
    const char* Name;
    int Count;
    bool Sequential;
    bool Title;
    std::vector<int> Expected;
};

class SequenceTest : public ShowTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(SequenceTest, ShowsFramesInOrder) {
    const SequenceCase& c = GetParam();
    Settings.SequentialOrder = c.Sequential;
    Settings.Description.ShowDescription = c.Title;
    SetPictures(c.Count, 4, 3);
    Make(4, 3);
    Owner->Start();
    EXPECT_EQ(Frames(static_cast<int>(c.Expected.size())), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Orders,
    SequenceTest,
    ::testing::Values(SequenceCase{"Sequential3Title", 3, true, true, {1, 2, 3, 0, 1, 2, 3, 0, 1}},
                      SequenceCase{"Sequential3", 3, true, false, {1, 2, 3, 1, 2, 3, 1}},
                      SequenceCase{"Random1Title", 1, false, true, {1, 0, 1, 0, 1, 0}},
                      SequenceCase{"Random1", 1, false, false, {1, 1, 1, 1}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ShowTest, RandomOrderNeverRepeatsAndKeepsTheTitleOutWhenOff) {
    for (bool title : {false, true}) {
        SCOPED_TRACE(title);
        Settings.SequentialOrder = 0;
        Settings.Description.ShowDescription = title;
        SetPictures(4, 2, 2);
        Make(2, 2);
        RandSeed = 12345;
        Owner->Start();
        std::vector<int> shown = Frames(300);
        EXPECT_NE(shown.front(), 0);
        for (size_t i = 1; i < shown.size(); ++i) {
            ASSERT_NE(shown[i], shown[i - 1]) << "tick " << i;
        }
        int titles = static_cast<int>(std::count(shown.begin(), shown.end(), 0));
        if (title) {
            EXPECT_GT(titles, 30);
        } else {
            EXPECT_EQ(titles, 0);
        }
        TCbScreenSaver::Stop(Owner);
    }
}

// Within a tick the picture is drawn first, then the effect, from the one generator.
TEST_F(ShowTest, RandomDrawsComeFromTheOneGeneratorPictureFirst) {
    Settings.SequentialOrder = 0;
    SetPictures(3, 2, 2);
    // Effect 4 (a slide) draws nothing of its own.
    OnlyEffect(4);
    Make(2, 2);
    RandSeed = 777;
    Owner->Start();
    std::vector<int> shown = Frames(20);

    RandSeed = 777;
    int current = 0;
    std::vector<int> expected;
    for (int i = 0; i < 20; ++i) {
        int k;
        do {
            k = Random(4);
        } while (k < 1 || k == current);
        current = k;
        expected.push_back(k);
        while (Random(20) != 3) {
        }
    }
    EXPECT_EQ(shown, expected);
}

TEST_F(ShowTest, ShuffleShowsEveryFrameOncePerRoundAndLeavesRandomAlone) {
    for (bool title : {false, true}) {
        SCOPED_TRACE(title);
        Settings.SequentialOrder = 0;
        Settings.Description.ShowDescription = title;
        TShowExtras extras;
        extras.Shuffle = true;
        WriteShowExtras(Settings, extras);
        SetPictures(5, 2, 2);
        Make(2, 2);
        Owner->Start();
        const int round = title ? 6 : 5;
        std::vector<int> shown = Frames(round * 8);
        for (int r = 0; r < 8; ++r) {
            std::vector<int> frames(shown.begin() + r * round, shown.begin() + (r + 1) * round);
            std::sort(frames.begin(), frames.end());
            std::vector<int> every;
            for (int k = title ? 0 : 1; k <= 5; ++k) {
                every.push_back(k);
            }
            EXPECT_EQ(frames, every) << "round " << r;
        }
        for (size_t i = 1; i < shown.size(); ++i) {
            ASSERT_NE(shown[i], shown[i - 1]) << "tick " << i;
        }
        // Not the list's order every round.
        EXPECT_NE(std::vector<int>(shown.begin(), shown.begin() + 5),
                  (std::vector<int>{1, 2, 3, 4, 5}));
        TCbScreenSaver::Stop(Owner);
    }
}

// Effect 4 draws nothing of its own, so with shuffle only the order could move the generator.
TEST_F(ShowTest, ShuffleDrawsNothingFromRandom) {
    Settings.SequentialOrder = 0;
    TShowExtras extras;
    extras.Shuffle = true;
    WriteShowExtras(Settings, extras);
    OnlyEffect(4);
    SetPictures(4, 2, 2);
    Make(2, 2);
    RandSeed = 99;
    Owner->Start();
    Frames(12);
    uint32_t expected = 99;
    for (int i = 0; i < 12; ++i) {
        // PickEffect's draws: Random(20) until it comes out as 3.
        int32_t e;
        do {
            expected = expected * 134775813u + 1;
            e = static_cast<int32_t>((uint64_t{expected} * 20) >> 32);
        } while (e != 3);
    }
    EXPECT_EQ(RandSeed, expected);
}

struct ScreenCase {
    const char* Name;
    bool Sequential;
    bool Shuffle;
};

class EachScreenTest : public ShowTest, public ::testing::WithParamInterface<ScreenCase> {
protected:
    std::vector<int> Shown(int screen, bool eachScreen) {
        InitSaverSettings(Settings);
        Settings.SequentialOrder = GetParam().Sequential;
        OnlyEffect(9);
        TShowExtras extras;
        extras.Shuffle = GetParam().Shuffle;
        extras.EachScreenDifferent = eachScreen;
        WriteShowExtras(Settings, extras);
        SetPictures(4, 2, 2);
        ScreenIndex = screen;
        Asked.clear();
        Make(2, 2);
        RandSeed = 4242;
        Owner->Start();
        std::vector<int> shown = Frames(16);
        TCbScreenSaver::Stop(Owner);
        return shown;
    }
};

TEST_P(EachScreenTest, ScreensShowDifferentPicturesAtTheSameMoment) {
    const std::vector<int> first = Shown(0, true);
    const std::vector<int> second = Shown(1, true);
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_NE(first[i], second[i]) << "tick " << i;
    }
    // Screen 0 shows what a show without the choice shows, and so does every screen without it.
    EXPECT_EQ(first, Shown(0, false));
    EXPECT_EQ(Shown(1, false), first);
}

INSTANTIATE_TEST_SUITE_P(Orders,
                         EachScreenTest,
                         ::testing::Values(ScreenCase{"Normal", true, false},
                                           ScreenCase{"Random", false, false},
                                           ScreenCase{"Shuffle", false, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

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

// ---- Timer

struct IntervalCase {
    int Seconds;
    uint32_t Ms;
};

class IntervalTest : public ShowTest, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(IntervalTest, FirstTickAfter100MsThenTheInterval) {
    Settings.IntervalSeconds = GetParam().Seconds;
    SetPictures(1, 2, 2);
    Make(2, 2);
    EXPECT_FALSE(Timer().Enabled());
    Owner->Start();
    EXPECT_TRUE(Timer().Enabled());
    EXPECT_EQ(Timer().Interval(), 100u);
    ASSERT_TRUE(Timer().Fire());
    EXPECT_TRUE(Timer().Enabled());
    EXPECT_EQ(Timer().Interval(), GetParam().Ms);
}

INSTANTIATE_TEST_SUITE_P(Intervals,
                         IntervalTest,
                         ::testing::Values(IntervalCase{5, 5000},
                                           IntervalCase{0, 1},
                                           IntervalCase{1, 1000},
                                           IntervalCase{60, 60000}));

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

// ---- Sound

struct SoundCase {
    bool Play, Included;
    const char* Name;
    bool Expected;
};

class SoundTest : public ShowTest, public ::testing::WithParamInterface<SoundCase> {};

TEST_P(SoundTest, StartsOnlyWhenBothFlagsAndANameAreThere) {
    const SoundCase& c = GetParam();
    Settings.PlaySound = c.Play;
    Settings.SoundIncluded = c.Included;
    SetPictures(1, 2, 2);
    Make(2, 2);
    Saver->SoundName = c.Name;
    Owner->Start();
    std::vector<std::string> started;
    if (c.Expected) {
        started = {std::string("open \"") + c.Name + "\" alias mp wait", "play mp repeat"};
    }
    EXPECT_EQ(Media.Commands, started);
    TCbScreenSaver::Stop(Owner);
    if (c.Expected) {
        started.push_back("stop mp");
        started.push_back("close mp");
    }
    EXPECT_EQ(Media.Commands, started);
}

INSTANTIATE_TEST_SUITE_P(Flags,
                         SoundTest,
                         ::testing::Values(SoundCase{true, true, "/m/a.mp3", true},
                                           SoundCase{true, false, "/m/a.mp3", false},
                                           SoundCase{false, true, "/m/a.mp3", false},
                                           SoundCase{true, true, "", false},
                                           SoundCase{false, false, "", false}));

// ---- Failures, stopping, odd settings

TEST_F(ShowTest, FailingTickFreezesTheShowUntilStop) {
    SetPictures(2, 2, 2);
    Pictures.erase(1);  // picture 2 cannot be had
    Make(2, 2);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    EXPECT_EQ(Target->Pixels(1, 1), Shade(0));
    EXPECT_NO_THROW(Timer().Fire());
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_FALSE(Timer().Fire());
    EXPECT_EQ(Target->Pixels(1, 1), Shade(0));
    TCbScreenSaver::Stop(Owner);
    EXPECT_EQ(Owner, nullptr);
    EXPECT_EQ(Destroyed, 1);
}

TEST_F(ShowTest, StopDestroysTheShowAndItsSound) {
    Settings.PlaySound = Settings.SoundIncluded = 1;
    SetPictures(1, 2, 2);
    Make(2, 2);
    Saver->SoundName = "x.wav";
    Owner->Start();
    Timer().Fire();
    TCbScreenSaver::Stop(Owner);
    EXPECT_EQ(Owner, nullptr);
    EXPECT_EQ(Destroyed, 1);
    EXPECT_EQ(Wave.Calls, (std::vector<TWaveCall>{{"x.wav", 9}, {std::nullopt, 1}}));
    TCbScreenSaver::Stop(Owner);  // an empty owner is left alone
    EXPECT_EQ(Destroyed, 1);
}

// A Stop reached while a tick is under way ends that tick without its effect, then destroys.
TEST_F(ShowTest, StopDuringATickIsSafe) {
    SetPictures(1, 2, 2);
    Make(2, 2);
    Owner->Start();
    Saver->OnGetPicture = [this] {
        TCbScreenSaver::Stop(Owner);
        EXPECT_EQ(Destroyed, 0);
    };
    EXPECT_TRUE(Timer().Fire());
    EXPECT_EQ(Owner, nullptr);
    EXPECT_EQ(Destroyed, 1);
    EXPECT_EQ(Target->Pixels(0, 0), Back);
}

TEST_F(ShowTest, SettingsWithoutPicturesOrEffectsShowOnlyTheBackground) {
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        Settings.PlaySound = Settings.SoundIncluded = 1;
        SetPictures(variant == 0 ? 0 : 2, 2, 2);
        if (variant == 1) {
            for (auto& flag : Settings.Transitions) {
                flag = 0;
            }
        }
        Settings.Description.ShowDescription = 1;
        Make(3, 3);
        Saver->SoundName = "a.mp3";
        Owner->Start();
        EXPECT_EQ(BoundsOfNot(Back), TRect{});
        EXPECT_FALSE(Timer().Fire());
        EXPECT_TRUE(Media.Commands.empty());
        TCbScreenSaver::Stop(Owner);
    }
}

// ---- The show of picture files

class FileShowTest : public ShowTest {
protected:
    void SetUp() override {
        ShowTest::SetUp();
        Dir = std::filesystem::temp_directory_path() /
              ("kavro-show-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    std::string Write(const std::string& name, int w, int h, TColor c) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(ColorRed(c), ColorGreen(c), ColorBlue(c)));
        std::string path = (Dir / name).string();
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }

    void MakeMain(bool inPanel, int sw, int sh, int count = -1) {
        Screen = std::make_unique<TFakeScreen>(sw, sh);
        Target = std::make_unique<TBitmap>(sw, sh);
        TShowServices services{Timers, *Screen, Media, Wave};
        Settings.PictureCount = static_cast<uint8_t>(count < 0 ? Files.size() : count);
        Owner = std::make_unique<TCaScreenSaverMain>(
            Target->Canvas(), Rect(0, 0, sw - 1, sh - 1), Settings, Files, "", inPanel, services);
    }

    std::filesystem::path Dir;
    std::vector<std::string> Files;
};

TEST_F(FileShowTest, DeletedPictureFreezesOnThePreviousFrame) {
    Files = {Write("a.bmp", 4, 4, Red), Write("b.bmp", 4, 4, RGBColor(0, 255, 0))};
    MakeMain(false, 4, 4);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    EXPECT_EQ(Target->Pixels(2, 2), Red);
    std::filesystem::remove(Files[1]);
    ASSERT_TRUE(Timer().Fire());
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_EQ(BoundsOfNot(Red), TRect{});
    TCbScreenSaver::Stop(Owner);
    EXPECT_EQ(Owner, nullptr);
}

TEST_F(FileShowTest, ShorterListThanPictureCountFreezes) {
    Files = {Write("a.bmp", 4, 4, Red)};
    MakeMain(false, 4, 4, 2);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    ASSERT_TRUE(Timer().Fire());
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_EQ(Target->Pixels(0, 0), Red);
}

// Pictures that cannot be decoded are skipped, each in its own interval, without drawing: the
// show goes on to the next good one. Only when all of them fail does it stay on its background.
TEST_F(FileShowTest, DamagedPicturesAreSkippedUntilAllHaveFailed) {
    const std::string jpeg = Write("whole.jpg", 16, 16, Red);
    std::filesystem::resize_file(jpeg, 20);  // cut inside its header
    auto text = [&](const std::string& name, const std::string& bytes) {
        std::ofstream((Dir / name).string(), std::ios::binary) << bytes;
        return (Dir / name).string();
    };
    const TColor green = RGBColor(0, 255, 0);
    Files = {Write("a.bmp", 4, 4, Red),
             text("notes.jpg", "shopping list"),
             text("empty.jpg", ""),
             jpeg,
             Write("e.bmp", 4, 4, green)};
    MakeMain(false, 4, 4);
    Owner->Start();
    const TColor seen[] = {Red, Red, Red, Red, green, Red, Red};
    for (TColor want : seen) {
        ASSERT_TRUE(Timer().Fire());
        EXPECT_TRUE(Timer().Enabled());
        EXPECT_EQ(Timer().Interval(), 5000u);
        EXPECT_EQ(BoundsOfNot(want), TRect{});
    }
    TCbScreenSaver::Stop(Owner);

    Files = {text("x.jpg", "x"), text("y.bmp", "y"), jpeg};
    MakeMain(false, 4, 4);
    Owner->Start();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Timer().Fire()) << i;
    }
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_EQ(BoundsOfNot(Back), TRect{});
    TCbScreenSaver::Stop(Owner);
}

// In the panel, pictures are always fitted; the full-screen show follows the settings.
TEST_F(FileShowTest, PanelForcesFitting) {
    Settings.StretchImages = 0;
    Files = {Write("wide.bmp", 2, 1, Red)};
    for (bool inPanel : {true, false}) {
        SCOPED_TRACE(inPanel);
        MakeMain(inPanel, 8, 8);
        Owner->Start();
        ASSERT_TRUE(Timer().Fire());
        EXPECT_EQ(BoundsOfNot(Back), inPanel ? Rect(0, 2, 8, 6) : Rect(3, 3, 5, 4));
        TCbScreenSaver::Stop(Owner);
    }
}

}  // namespace
