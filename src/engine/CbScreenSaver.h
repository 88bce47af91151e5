#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/ShowServices.h"
#include "settings/SaverSettings.h"
#include "toolkit/Rect.h"

class TBitmap;
class TCanvas;
class TCcTransition;
class TCdSound;
class TTimer;

class TCbScreenSaver;

// Builds a show that draws on canvas over targetRect, whatever its pictures come from; the
// window that owns the canvas calls it once the canvas has its size. May throw.
using TShowFactory =
    std::function<std::unique_ptr<TCbScreenSaver>(TCanvas& canvas, const TRect& targetRect)>;

// The show logic: on every timer tick picks the next picture or the title screen, composes it
// at screen size with background and caption, scales it to the target and reveals it through
// a transition. Pictures and the sound file come from the two virtual operations.
class TCbScreenSaver {
public:
    virtual ~TCbScreenSaver();
    TCbScreenSaver(const TCbScreenSaver&) = delete;
    TCbScreenSaver& operator=(const TCbScreenSaver&) = delete;

    // Begins the show; called once, right after construction.
    void Start();

    // Ends the show and destroys it; leaves the owner's pointer empty.
    static void Stop(std::unique_ptr<TCbScreenSaver>& saver);

protected:
    TCbScreenSaver(TCanvas& targetCanvas,
                   const TRect& targetRect,
                   const TSaverSettings& settings,
                   bool quiet,
                   const TShowServices& services);

    virtual const TBitmap& GetPicture(int32_t index) = 0;
    virtual std::string GetSoundFileName() = 0;

private:
    void DrawTitleScreen();
    void StartSound();
    void Tick();
    void NextPicture();
    void ComposeFrame();
    void DrawCaption(const TSaverPictureText& slot);
    void PickEffect();

    TCanvas& FTargetCanvas;
    TSaverSettings FSettings;
    bool FQuiet;
    std::unique_ptr<TTimer> FTimer;
    std::unique_ptr<TBitmap> FTitleBitmap;
    std::unique_ptr<TBitmap> FFrameBitmap;
    std::unique_ptr<TBitmap> FTargetBitmap;
    // Released through CancelAndFree, which destroys the runner itself.
    TCcTransition* FTransition = nullptr;
    std::unique_ptr<TCdSound> FSound;
    bool FStopping = false;
    int32_t FPictureIndex = 0;
    // The pictures that failed to decode since the last frame shown.
    std::bitset<256> FFailedPictures;
    int32_t FIntervalMs;

    // Settings that no caller should pass (no picture, no effect) leave the show inert: it
    // shows the background and never ticks, rather than drawing random numbers forever.
    bool FInert;
    // Set while a tick runs, so that a Stop reached from inside it (a nested event loop
    // somewhere below) defers the destruction to the tick's end.
    bool FInTick = false;
};
