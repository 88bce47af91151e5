#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "engine/CaScreenSaverMain.h"
#include "engine/CbScreenSaver.h"
#include "engine/CcTransition.h"
#include "engine/CePanZoom.h"
#include "settings/ShowExtras.h"
#include "support/FakeFrameClock.h"
#include "support/FakeScreen.h"
#include "support/FakeTimer.h"
#include "support/FakeWorker.h"
#include "support/RecordingCanvas.h"
#include "support/RecordingMediaControl.h"
#include "support/RecordingWavePlayer.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Random.h"

namespace {

constexpr TColor Red = RGBColor(255, 0, 0);
constexpr TColor Blue = RGBColor(0, 0, 255);

std::shared_ptr<TBitmap> Solid(TColor color, int w, int h) {
    auto b = std::make_shared<TBitmap>(w, h);
    b->Canvas().Brush().Color = color;
    b->Canvas().FillRect(b->Canvas().ClipRect());
    return b;
}

// Neither red nor blue but between them.
bool Between(TColor c) {
    return ColorGreen(c) == 0 && ColorRed(c) > 10 && ColorRed(c) < 245 && ColorBlue(c) > 10 &&
           ColorBlue(c) < 245;
}

// Picture k: colour varies with the position, so that misplaced pixels show.
std::shared_ptr<TBitmap> Picture(int k, int w, int h) {
    auto b = std::make_shared<TBitmap>(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            b->SetPixel(x, y, RGBColor(40 * k + x, 3 * y, 200 - 50 * k));
        }
    }
    return b;
}

// A show of bitmaps held by the test; with Decoded set its pictures come through the worker.
class TPacedSaver : public TCbScreenSaver {
public:
    TPacedSaver(TCanvas& target,
                const TRect& rect,
                const TSaverSettings& settings,
                const TShowServices& services,
                std::vector<std::shared_ptr<TBitmap>>& pictures,
                int& destroyed)
        : TCbScreenSaver(target, rect, settings, true, services)
        , FPictures(pictures)
        , FDestroyed(destroyed) {}
    ~TPacedSaver() override { ++FDestroyed; }

    bool Decoded = false;
    bool FailDecode = false;
    int Asked = 0;
    // Decoded pictures released so far.
    std::shared_ptr<int> Released = std::make_shared<int>(0);

protected:
    const TBitmap& GetPicture(int32_t index) override {
        ++Asked;
        return *FPictures.at(index);
    }
    std::string GetSoundFileName() override { return ""; }
    TPictureJob PictureJob(int32_t index) override {
        if (!Decoded) {
            return {};
        }
        return [source = FPictures.at(index), released = Released, fail = FailDecode] {
            if (fail) {
                throw std::runtime_error("undecodable");
            }
            return std::shared_ptr<const TBitmap>(source.get(),
                                                  [source, released](auto*) { ++*released; });
        };
    }

private:
    std::vector<std::shared_ptr<TBitmap>>& FPictures;
    int& FDestroyed;
};

// What a run of a show left: every drawing call, the pixels and the generator.
struct TOutcome {
    std::vector<TDrawCall> Calls;
    QImage Pixels;
    uint32_t Seed;
};

class PacedShowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitSaverSettings(Settings);
        Settings.IntervalSeconds = 5;
        Settings.StretchImages = 1;
        Settings.SequentialOrder = 1;
        OnlyEffect(9);
        RandSeed = 0;
    }

    // Effect 1..23 alone, or all twenty of the record with 0.
    void OnlyEffect(int effect) {
        for (auto& flag : Settings.Transitions) {
            flag = effect == 0;
        }
        for (int k = 0; k < MoreTransitionCount; ++k) {
            More.MoreTransitions[k] = effect == TransitionCount + 1 + k;
        }
        if (effect != 0 && effect <= TransitionCount) {
            Settings.Transitions[effect - 1] = 1;
        }
    }

    // A show of `count` pictures on a w x h screen and target; paced and decoding as asked.
    // The pictures are of the screen's size unless pw x ph is given.
    void Make(int w, int h, int count, bool paced, bool decoded = false, int pw = 0, int ph = 0) {
        Settings.PictureCount = static_cast<uint8_t>(count);
        // A block the test wrote into Settings itself stays while More has never had a choice.
        if (MoreWritten || !(More == TShowExtras{})) {
            WriteShowExtras(Settings, More);
            MoreWritten = true;
        }
        Pictures.clear();
        for (int k = 0; k < count; ++k) {
            Pictures.push_back(k < static_cast<int>(Given.size())
                                   ? Given[k]
                                   : Picture(k, pw ? pw + 7 * k : w, ph ? ph : h));
        }
        Screen = std::make_unique<TFakeScreen>(w, h);
        Target = std::make_unique<TRecordingCanvas>(w, h);
        Frames.Last = nullptr;
        TShowServices services{
            Timers, *Screen, Media, Wave, paced ? &Frames : nullptr, decoded ? &Worker : nullptr};
        auto saver = std::make_unique<TPacedSaver>(
            *Target, Rect(0, 0, w - 1, h - 1), Settings, services, Pictures, Destroyed);
        saver->Decoded = decoded;
        saver->FailDecode = FailDecodes;
        Saver = saver.get();
        Owner = std::move(saver);
        Owner->Start();
    }

    TFakeTimer& Timer() { return *Timers.Last; }
    TFakeFrameClock& Clock() { return *Frames.Last; }

    // Fires the tick and, when paced, delivers frames of the given lengths in turn until the
    // effect has ended (and with pan and zoom, the picture's movement over its interval too);
    // answers how many frames it took.
    int Tick(const std::vector<double>& frames = {20}) {
        while (Worker.RunNext()) {
        }
        EXPECT_TRUE(Timer().Fire());
        int n = 0;
        bool effectEnded = false;
        while (Frames.Last && Clock().Started) {
            // The interval starts when the effect has ended, and the picture moves over it.
            if (effectEnded || !More.PanZoom) {
                EXPECT_EQ(Timer().Enabled(), effectEnded);
            }
            Clock().Frame(frames[n++ % frames.size()]);
            effectEnded = effectEnded || Timer().Enabled();
        }
        EXPECT_TRUE(Timer().Enabled());
        return n;
    }

    // Paced shows decode their pictures on the worker, whole ones on the test's thread; the
    // pictures are fitted to the screen, larger or smaller than it.
    TOutcome Play(bool paced, int w, int h, int pictures, int ticks) {
        RandSeed = 4242;
        Make(w, h, pictures, paced, paced, 2 * w + 3, h / 2 + 1);
        for (int i = 0; i < ticks; ++i) {
            Tick({7, 23, 16, 41, 3});
        }
        TOutcome outcome{Target->Calls, *Target->Image(), RandSeed};
        TCbScreenSaver::Stop(Owner);
        return outcome;
    }

    // Pixels of row y (of the whole target when y < 0) that no longer show the background.
    int Revealed(int y) {
        const int top = y < 0 ? 0 : y, bottom = y < 0 ? Target->Image()->height() : y + 1;
        int n = 0;
        for (int row = top; row < bottom; ++row) {
            for (int x = 0; x < Target->Image()->width(); ++x) {
                n += Target->Pixel(x, row) != Settings.BackColor;
            }
        }
        return n;
    }

    TSaverSettings Settings{};
    // The further choices, written into Settings by Make.
    TShowExtras More;
    bool MoreWritten = false;
    // The pictures Make uses first, instead of the ones it paints.
    std::vector<std::shared_ptr<TBitmap>> Given;
    TFakeTimerFactory Timers;
    TFakeFrameClockFactory Frames;
    TFakeWorker Worker;
    TRecordingMediaControl Media;
    TRecordingWavePlayer Wave;
    std::unique_ptr<TFakeScreen> Screen;
    std::unique_ptr<TRecordingCanvas> Target;
    std::vector<std::shared_ptr<TBitmap>> Pictures;
    bool FailDecodes = false;
    int Destroyed = 0;
    TPacedSaver* Saver = nullptr;
    std::unique_ptr<TCbScreenSaver> Owner;
};

void ExpectSame(const TOutcome& paced, const TOutcome& whole) {
    ASSERT_EQ(paced.Calls.size(), whole.Calls.size());
    for (size_t i = 0; i < paced.Calls.size(); ++i) {
        const TDrawCall &a = paced.Calls[i], &b = whole.Calls[i];
        ASSERT_TRUE(a.Copy == b.Copy && a.Rect == b.Rect && a.SourceRect == b.SourceRect &&
                    (a.Pattern == nullptr) == (b.Pattern == nullptr))
            << "call " << i;
    }
    EXPECT_TRUE(paced.Pixels == whole.Pixels);
    EXPECT_EQ(paced.Seed, whole.Seed);
}

// On a 100-pixel square each of these effects has revealed 2k pixels of the middle row after
// frame k of 20 ms (k/50 of its second): slide 1, wipe 9, box out 13, box in 14, split open 15
// and split close 16 all grow by one column a side, or two in all, per fiftieth of a second.
class StepsDueTest : public PacedShowTest, public ::testing::WithParamInterface<int> {};

TEST_P(StepsDueTest, EachFrameDrawsTheStepsDueByThen) {
    OnlyEffect(GetParam());
    Make(100, 100, 1, true);
    ASSERT_TRUE(Timer().Fire());
    EXPECT_EQ(Revealed(50), 0);
    for (int k = 1; k <= 50; ++k) {
        ASSERT_TRUE(Clock().Frame(20));
        ASSERT_EQ(Revealed(50), 2 * k) << "frame " << k;
        // The picture's interval starts when its effect has ended, not before.
        ASSERT_EQ(Timer().Enabled(), k == 50) << "frame " << k;
    }
    EXPECT_FALSE(Clock().Started);
    EXPECT_EQ(Timer().Interval(), 5000u);
}

INSTANTIATE_TEST_SUITE_P(Effects, StepsDueTest, ::testing::Values(1, 9, 13, 14, 15, 16));

// A late frame draws every step that fell due meanwhile; the effect ends on time.
TEST_F(PacedShowTest, LateFramesCatchUpAndTheEffectTakesASecond) {
    OnlyEffect(17);
    Make(40, 800, 1, true);
    ASSERT_TRUE(Timer().Fire());
    Clock().Frame(500);
    EXPECT_EQ(Target->Calls.size(), 1u + 400u);  // the background, then 400 strips
    Clock().Frame(499);
    EXPECT_TRUE(Clock().Started);
    Clock().Frame(1);
    EXPECT_FALSE(Clock().Started);
    EXPECT_EQ(Target->Calls.size(), 1u + 800u + 1u);
    EXPECT_EQ(Revealed(400), 40);
}

// Paced and decoding ahead or whole, a show draws the same calls, ends on the same pixels and
// leaves the generator in the same state: each effect alone, then random pictures and effects.
TEST_F(PacedShowTest, PacedShowDrawsWhatTheWholeRunDraws) {
    for (int effect = 1; effect <= 20; ++effect) {
        SCOPED_TRACE(effect);
        OnlyEffect(effect);
        ExpectSame(Play(true, 37, 23, 1, 1), Play(false, 37, 23, 1, 1));
    }
    OnlyEffect(0);
    Settings.SequentialOrder = 0;
    Settings.Description.ShowDescription = 1;
    ExpectSame(Play(true, 41, 19, 3, 12), Play(false, 41, 19, 3, 12));
}

struct CancelCase {
    int Effect;
    int Revealed;  // of the 100 x 100 pixels after the stop
};

class CancelTest : public PacedShowTest, public ::testing::WithParamInterface<CancelCase> {};

// Stopped after 10 frames (a fifth of the effect), the wipe and the slide stay where they were
// (20 columns); the effects that close with a full reveal draw it, as a cancelled effect does.
TEST_P(CancelTest, StopMidEffectEndsItAsACancel) {
    OnlyEffect(GetParam().Effect);
    Make(100, 100, 1, true);
    ASSERT_TRUE(Timer().Fire());
    for (int k = 0; k < 10; ++k) {
        Clock().Frame(20);
    }
    ASSERT_LT(Revealed(-1), 100 * 100);
    const uint32_t seed = RandSeed;
    const size_t calls = Target->Calls.size();
    TCbScreenSaver::Stop(Owner);
    EXPECT_EQ(Destroyed, 1);
    EXPECT_EQ(Timers.Destroyed, 1);
    EXPECT_EQ(Revealed(-1), GetParam().Revealed);
    EXPECT_LE(Target->Calls.size(), calls + 1);
    // Random lines draw the next strip's number before they find the cancel, as in a whole run.
    EXPECT_EQ(RandSeed != seed, GetParam().Effect == 17);
}

INSTANTIATE_TEST_SUITE_P(Effects,
                         CancelTest,
                         ::testing::Values(CancelCase{9, 2000},
                                           CancelCase{1, 2000},
                                           CancelCase{14, 10000},
                                           CancelCase{17, 10000},
                                           CancelCase{19, 10000}));

// ---- Decoding on the worker

// The next picture is decoded while the current one is on show; a tick that comes first waits
// for it, and the picture is let go once the frame holds it.
// A picture fitted on the worker keeps the day it was taken: the date appears over it.
TEST_F(PacedShowTest, DateComesWithAPictureFittedOnTheWorker) {
    for (bool dated : {true, false}) {
        SCOPED_TRACE(dated);
        TShowExtras extras;
        extras.ShowDates = true;
        WriteShowExtras(Settings, extras);
        Make(320, 240, 1, false, true, 200, 100);
        if (dated) {
            Pictures[0]->TakenOn = TDateTaken(2024, 5, 3);
        }
        Tick();
        int white = 0;
        for (int y = 120; y < 240; ++y) {
            for (int x = 160; x < 320; ++x) {
                const TColor c = Target->Pixel(x, y);
                white += ColorRed(c) > 235 && ColorGreen(c) > 235 && ColorBlue(c) > 235;
            }
        }
        EXPECT_EQ(white > 0, dated) << white;
        TCbScreenSaver::Stop(Owner);
    }
}

TEST_F(PacedShowTest, TickWaitsForTheDecodeAndTheNextDecodeFollowsTheEffect) {
    Make(100, 100, 2, true, true);
    ASSERT_EQ(Worker.Jobs.size(), 1u);
    ASSERT_TRUE(Timer().Fire());
    EXPECT_EQ(Target->Calls.size(), 1u);  // only the background
    EXPECT_FALSE(Clock().Started);
    ASSERT_TRUE(Worker.RunNext());
    EXPECT_TRUE(Clock().Started);
    EXPECT_EQ(*Saver->Released, 1);
    EXPECT_TRUE(Worker.Jobs.empty());
    while (Clock().Started) {
        Clock().Frame(20);
    }
    EXPECT_EQ(Revealed(50), 100);
    EXPECT_EQ(Saver->Asked, 0);
    // Picture 2 is decoding before its tick is due.
    EXPECT_EQ(Worker.Jobs.size(), 1u);
    ASSERT_TRUE(Worker.RunNext());
    EXPECT_EQ(Tick(), 50);
    EXPECT_EQ(Saver->Asked, 0);
}

TEST_F(PacedShowTest, FailedDecodeFreezesTheShowAtItsTick) {
    FailDecodes = true;
    Make(10, 10, 1, true, true);
    ASSERT_TRUE(Worker.RunNext());
    EXPECT_TRUE(Timer().Fire());
    EXPECT_FALSE(Timer().Enabled());
    EXPECT_FALSE(Clock().Started);
    EXPECT_EQ(Revealed(-1), 0);
    TCbScreenSaver::Stop(Owner);
    EXPECT_EQ(Destroyed, 1);
}

// Stopped while its decode runs, the show is gone at once; the decode ends later, finds no
// show and lets its picture go.
TEST_F(PacedShowTest, StopDuringADecodeNeitherWaitsNorLeaks) {
    Make(20, 20, 1, true, true);
    ASSERT_TRUE(Timer().Fire());
    const std::shared_ptr<int> released = Saver->Released;
    TCbScreenSaver::Stop(Owner);
    EXPECT_EQ(Destroyed, 1);
    ASSERT_EQ(Worker.Jobs.size(), 1u);
    const size_t calls = Target->Calls.size();
    EXPECT_TRUE(Worker.RunNext());
    EXPECT_EQ(*released, 1);
    EXPECT_EQ(Target->Calls.size(), calls);
}

// A show of files decodes each one with a picture holder of the job's own.
TEST_F(PacedShowTest, FileShowDecodesOnTheWorker) {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("kavro-paced-" + std::to_string(::getpid()) + ".bmp"))
                                 .string();
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(file)));
    const std::vector<std::string> files{file};
    Settings.PictureCount = 1;
    TFakeScreen screen(8, 8);
    TBitmap target(8, 8);
    TShowServices services{Timers, screen, Media, Wave, nullptr, &Worker};
    Owner = std::make_unique<TCaScreenSaverMain>(
        target.Canvas(), Rect(0, 0, 7, 7), Settings, files, "", false, services);
    Owner->Start();
    ASSERT_TRUE(Timer().Fire());
    EXPECT_NE(target.Pixels(3, 3), Red);
    ASSERT_TRUE(Worker.RunNext());
    std::filesystem::remove(file);
    EXPECT_EQ(target.Pixels(3, 3), Red);
    EXPECT_EQ(target.Pixels(7, 7), Red);
}

// ---- Effects 21 to 23, the transition time, pan and zoom, the blurred background

struct TTimedCase {
    int Effect;
    int HalfSeconds;
};

class TimedEffectTest : public PacedShowTest, public ::testing::WithParamInterface<TTimedCase> {};

// A red picture, then a blue one: the effect lasts the chosen time, and while it runs the
// screen shows both: mixed colour at the centre for a crossfade and a zoom-fade, red and blue
// side by side for a push.
TEST_P(TimedEffectTest, RedToBlueTakesTheChosenTimeAndShowsBoth) {
    const auto [effect, halfSeconds] = GetParam();
    OnlyEffect(effect);
    More.TransitionHalfSeconds = halfSeconds;
    Given = {Solid(Red, 60, 40), Solid(Blue, 60, 40)};
    Make(60, 40, 2, true);
    Tick();
    ASSERT_EQ(Target->Pixel(30, 20), Red);
    ASSERT_TRUE(Timer().Fire());
    double ms = 0, mixedMs = 0;
    bool bothSeen = false;
    while (Clock().Started) {
        ASSERT_LT(ms, 10000);
        Clock().Frame(10);
        ms += 10;
        const TColor centre = Target->Pixel(30, 20);
        mixedMs += Between(centre) ? 10 : 0;
        bool red = false, blue = false;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 60; ++x) {
                red = red || Target->Pixel(x, y) == Red;
                blue = blue || Target->Pixel(x, y) == Blue;
            }
        }
        bothSeen = bothSeen || (red && blue) || (Between(centre) && (red || effect == 21));
    }
    const double chosen = 500.0 * halfSeconds;
    EXPECT_EQ(ms, chosen);
    EXPECT_EQ(Target->Pixel(30, 20), Blue);
    EXPECT_EQ(Revealed(-1), 60 * 40);
    EXPECT_TRUE(bothSeen);
    if (effect == efCrossfade || effect == efZoomFade) {
        EXPECT_GE(mixedMs, chosen * 0.9);
    }
    EXPECT_TRUE(Timer().Enabled());
    EXPECT_EQ(Timer().Interval(), 5000u);
}

INSTANTIATE_TEST_SUITE_P(Effects,
                         TimedEffectTest,
                         ::testing::Values(TTimedCase{21, 2},
                                           TTimedCase{21, 4},
                                           TTimedCase{22, 2},
                                           TTimedCase{23, 2},
                                           TTimedCase{23, 6},
                                           TTimedCase{9, 1},
                                           TTimedCase{9, 4}));

// With effects 21 to 23 allowed beside the twenty, the choice draws among all 23 (with the
// twenty alone it draws exactly as before: the tests above); the new effects take nothing from
// the generator beyond their choice. 21 and 23 are the ones that mix by filtered drawing.
TEST_F(PacedShowTest, MoreEffectsTakePartInTheRandomChoice) {
    OnlyEffect(0);
    More.MoreTransitions[0] = More.MoreTransitions[1] = More.MoreTransitions[2] = true;
    Make(30, 20, 2, true);
    std::set<int> seen;
    for (int i = 0; i < 60; ++i) {
        const uint32_t before = RandSeed;
        const int effect = Random(efLast) + 1;
        const uint32_t afterChoice = RandSeed;
        RandSeed = before;
        const size_t calls = Target->Calls.size(), changed = Target->ChangedRects.size();
        Tick({40});
        seen.insert(effect);
        const bool mixed = Target->ChangedRects.size() - changed > Target->Calls.size() - calls;
        EXPECT_EQ(mixed, effect == efCrossfade || effect == efZoomFade) << effect;
        if (effect != 17 && effect != 18) {
            EXPECT_EQ(RandSeed, afterChoice) << effect;
        }
    }
    EXPECT_GE(seen.count(21) + seen.count(22) + seen.count(23), 2u);
    EXPECT_GE(seen.size(), 15u);
}

// Pixels of r (the whole image when empty) whose channels differ by more than tolerance in all.
int Apart(const QImage& a, const QImage& b, int tolerance = 0, QRect r = {}) {
    r = r.isEmpty() ? a.rect() : r;
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            n += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                     std::abs(p.blue() - q.blue()) >
                 tolerance;
        }
    }
    return n;
}

struct TStillCase {
    bool Date;     // the date in the bottom right corner, else a caption at the top centre
    QRect Region;  // where it lies on the 200 x 120 screen
    QRgb Ink;      // the colour of its letters
};

class StillPartsTest : public PacedShowTest, public ::testing::WithParamInterface<TStillCase> {};

// The start, the middle and the end of one interval: the picture has moved and grown or
// shrunk, the letters of the caption or the date have not. The movement takes nothing from
// Random: the one effect's choice is all the show draws.
TEST_P(StillPartsTest, PanAndZoomMovesThePictureUnderStillLetters) {
    const TStillCase c = GetParam();
    More.PanZoom = true;
    if (c.Date) {
        More.ShowDates = true;
        More.DateCorner = tpBottomRight;
        Given = {Picture(0, 200, 120)};
        Given[0]->TakenOn = TDateTaken(2024, 5, 3);
    } else {
        WriteFieldUtf8(Settings.PictureTexts[0].Text, "Caption");
        Settings.PictureTexts[0].Font.Size = 14;
    }
    Make(200, 120, 1, true);
    QImage moments[3];
    ASSERT_TRUE(Timer().Fire());
    for (int k = 0; Clock().Started; ++k) {
        if (!Timer().Enabled()) {
            k = 0;  // the effect: the interval starts at its end
        }
        if (k == 1 || k == 126) {
            moments[k / 126] = *Target->Image();
        }
        Clock().Frame(20);
    }
    moments[2] = *Target->Image();
    const QRect picture(0, 40, 200, 50);
    EXPECT_GT(Apart(moments[0], moments[1], 0, picture), 2000);
    EXPECT_GT(Apart(moments[1], moments[2], 0, picture), 2000);
    int ink = 0, moved = 0;
    for (int y = c.Region.top(); y <= c.Region.bottom(); ++y) {
        for (int x = c.Region.left(); x <= c.Region.right(); ++x) {
            if (moments[0].pixel(x, y) == c.Ink) {
                ++ink;
                moved += moments[1].pixel(x, y) != c.Ink || moments[2].pixel(x, y) != c.Ink;
            }
        }
    }
    EXPECT_GT(ink, 3);
    EXPECT_EQ(moved, 0);
    const uint32_t seed = RandSeed;
    RandSeed = 0;
    while (Random(TransitionCount) != 8) {
    }
    EXPECT_EQ(seed, RandSeed);
}

INSTANTIATE_TEST_SUITE_P(
    Parts,
    StillPartsTest,
    ::testing::Values(TStillCase{false, QRect(90, 16, 20, 12), qRgb(0, 255, 0)},
                      TStillCase{true, QRect(100, 95, 100, 25), qRgb(255, 255, 255)}));

// The next effect starts from where the movement left the picture, not from its place at rest:
// the crossfade's first frame is the last frame of the movement with a trace of the next
// picture in it.
TEST_F(PacedShowTest, NextEffectStartsFromTheMovingPicturesLastFrame) {
    More.PanZoom = true;
    OnlyEffect(efCrossfade);
    Make(200, 120, 2, true);
    ASSERT_TRUE(Timer().Fire());
    while (!Timer().Enabled()) {
        Clock().Frame(20);
    }
    const QImage rest = *Target->Image();
    while (Clock().Started) {
        Clock().Frame(20);
    }
    const QImage last = *Target->Image();
    ASSERT_TRUE(Timer().Fire());
    Clock().Frame(10);
    EXPECT_EQ(Apart(*Target->Image(), last, 12), 0);
    EXPECT_GT(Apart(*Target->Image(), rest, 12), 2000);
}

// A picture with more pixels than the screen moves from a copy the worker makes at the size the
// movement shows it; it ends where the same show decoded on the user-interface thread ends,
// within what the filtering changes.
TEST_F(PacedShowTest, DecodedMovingPictureEndsWhereTheHolderOneDoes) {
    More.PanZoom = true;
    auto smooth = std::make_shared<TBitmap>(400, 240);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 400; ++x) {
            smooth->SetPixel(x, y, RGBColor(x * 255 / 400, y * 255 / 240, 100));
        }
    }
    QImage ends[2];
    for (bool decoded : {false, true}) {
        Given = {smooth};
        RandSeed = 0;
        Make(200, 120, 1, true, decoded);
        Tick();
        ends[decoded] = *Target->Image();
        TCbScreenSaver::Stop(Owner);
    }
    EXPECT_LT(Apart(ends[0], ends[1], 9), 200 * 120 / 100);
    EXPECT_NE(ends[1].pixelColor(100, 60), QColor(Settings.BackColor));
}

struct TBlurCase {
    bool Decoded;
    bool Moving;
};

class BlurTest : public PacedShowTest, public ::testing::WithParamInterface<TBlurCase> {};

// A portrait picture on a wide screen: beside it the blurred, darkened picture, not the
// background colour; decoded on the worker or on the user-interface thread, still or moving.
TEST_P(BlurTest, PortraitPictureHasItsColoursBesideIt) {
    More.Fill = TShowExtras::fmBlur;
    More.PanZoom = GetParam().Moving;
    Settings.BackColor = RGBColor(0, 0, 255);
    Given = {Solid(RGBColor(240, 120, 0), 45, 90)};
    Make(160, 90, 1, true, GetParam().Decoded);
    Tick();
    for (int x : {2, 30, 130, 157}) {
        const TColor c = Target->Pixel(x, 45);
        EXPECT_NE(c, Settings.BackColor) << x;
        // Two thirds of the picture's orange.
        EXPECT_NEAR(ColorRed(c), 160, 4) << x;
        EXPECT_NEAR(ColorGreen(c), 80, 4) << x;
        EXPECT_LE(ColorBlue(c), 2) << x;
    }
    EXPECT_EQ(Target->Pixel(80, 45), RGBColor(240, 120, 0));
}

INSTANTIATE_TEST_SUITE_P(Paths,
                         BlurTest,
                         ::testing::Values(TBlurCase{false, false},
                                           TBlurCase{true, false},
                                           TBlurCase{true, true}));

struct TPathCase {
    double W, H;  // of the picture at rest, centred on a 1600 x 900 target
    bool Pans;
    double Scale;  // of the panning picture, against its size at rest
};

class PanZoomPathTest : public ::testing::TestWithParam<TPathCase> {};

// A picture of about the screen's shape grows or shrinks by a tenth, one edge or corner in
// place, and keeps covering what it covered at rest; one far from it is shown larger and pans
// from one end of its long side to the other, 300 pixels at most (five seconds at a pixel a
// frame). At 30 frames a second over those five seconds, a zooming picture's corners move
// little more than a pixel a frame.
TEST_P(PanZoomPathTest, WayOverTheInterval) {
    const auto [w, h, pans, scale] = GetParam();
    const TCePanZoom::TPlace rest{(1600 - w) / 2, (900 - h) / 2, w, h};
    std::mt19937 random(1);
    auto picture = Solid(Red, 8, 8);
    std::set<std::vector<double>> ways;
    for (int run = 0; run < 64; ++run) {
        TCePanZoom motion;
        motion.Begin(picture, rest, nullptr, 1600, 900, 300, random);
        ASSERT_TRUE(motion.Active());
        ASSERT_EQ(motion.Pans(), pans);
        const TCePanZoom::TPlace a = motion.PlaceAt(0), b = motion.PlaceAt(1);
        ways.insert({a.X, a.Y, b.X, b.Y});
        if (pans) {
            EXPECT_DOUBLE_EQ(a.W, w * scale);
            EXPECT_DOUBLE_EQ(b.W, a.W);
            const bool tall = h * 16 > w * 9;
            EXPECT_DOUBLE_EQ(tall ? std::max(a.Y, b.Y) : std::max(a.X, b.X), 0);
            EXPECT_DOUBLE_EQ(tall ? std::min(a.Y + a.H, b.Y + b.H) : std::min(a.X + a.W, b.X + b.W),
                             tall ? 900 : 1600);
            EXPECT_NEAR(motion.Travel(), 300, 1e-6);
        } else {
            EXPECT_DOUBLE_EQ(std::max(a.W, b.W) / std::min(a.W, b.W), 1.1);
            EXPECT_LE(motion.Travel() / 150, 1.25);
        }
        for (int f = 0; f <= 150; ++f) {
            const TCePanZoom::TPlace p = motion.PlaceAt(f / 150.0);
            if (!pans) {
                ASSERT_LE(p.X, rest.X + 1e-9);
                ASSERT_LE(p.Y, rest.Y + 1e-9);
                ASSERT_GE(p.X + p.W, rest.X + rest.W - 1e-9);
                ASSERT_GE(p.Y + p.H, rest.Y + rest.H - 1e-9);
            }
        }
    }
    // Each picture takes its own way: zooms in eight directions, in or out; pans both ways.
    EXPECT_GE(ways.size(), pans ? 2u : 14u);
}

INSTANTIATE_TEST_SUITE_P(Shapes,
                         PanZoomPathTest,
                         ::testing::Values(TPathCase{1600, 900, false, 1},
                                           TPathCase{1200, 900, false, 1},
                                           TPathCase{600, 900, true, 1200.0 / 900},
                                           TPathCase{1600, 400, true, 1900.0 / 1600}));

}  // namespace
