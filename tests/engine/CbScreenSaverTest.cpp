#include <gtest/gtest.h>

#include "ShowFixture.h"

namespace {

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
        // Every saver process starts from seed 0; a show on a further screen draws as one.
        RandSeed = 0;
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

// Two screens in one process: the second screen's draws leave the first screen's as they are.
TEST_P(EachScreenTest, FurtherScreensLeaveTheProcessDrawsAlone) {
    Shown(1, true);
    RandSeed = 777;
    ScreenIndex = 1;
    Make(2, 2);
    Owner->Start();
    Frames(10);
    EXPECT_EQ(RandSeed, 777u);
}

INSTANTIATE_TEST_SUITE_P(Orders,
                         EachScreenTest,
                         ::testing::Values(ScreenCase{"Normal", true, false},
                                           ScreenCase{"Random", false, false},
                                           ScreenCase{"Shuffle", false, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

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
