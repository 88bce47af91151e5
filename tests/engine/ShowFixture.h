#pragma once

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

constexpr TColor Back = RGBColor(0, 0, 255);
constexpr TColor Red = RGBColor(255, 0, 0);

// Picture k of a test show is a solid bitmap of colour Shade(k), unless a test sets it.
inline TColor Shade(int k) {
    return RGBColor(10 * (k + 1), 100, 0);
}

inline std::unique_ptr<TBitmap> Solid(int w, int h, TColor c) {
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
