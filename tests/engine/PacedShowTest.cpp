#include <gtest/gtest.h>

#include "PacedShowFixture.h"

namespace {

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

}  // namespace
