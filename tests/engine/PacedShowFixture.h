#pragma once

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

constexpr TColor Red = RGBColor(255, 0, 0);
constexpr TColor Blue = RGBColor(0, 0, 255);

inline std::shared_ptr<TBitmap> Solid(TColor color, int w, int h) {
    auto b = std::make_shared<TBitmap>(w, h);
    b->Canvas().Brush().Color = color;
    b->Canvas().FillRect(b->Canvas().ClipRect());
    return b;
}

// Neither red nor blue but between them.
inline bool Between(TColor c) {
    return ColorGreen(c) == 0 && ColorRed(c) > 10 && ColorRed(c) < 245 && ColorBlue(c) > 10 &&
           ColorBlue(c) < 245;
}

// Picture k: colour varies with the position, so that misplaced pixels show.
inline std::shared_ptr<TBitmap> Picture(int k, int w, int h) {
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

inline void ExpectSame(const TOutcome& paced, const TOutcome& whole) {
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
