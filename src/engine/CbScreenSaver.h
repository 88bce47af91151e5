#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/ShowOrder.h"
#include "engine/ShowServices.h"
#include "settings/SaverSettings.h"
#include "settings/ShowExtras.h"
#include "toolkit/Rect.h"

class TBitmap;
class TCanvas;
class TCcTransition;
class TCdSound;
class TCePanZoom;
class TFrameClock;
class TTimer;
class TWorker;

class TCbScreenSaver;

// Builds a show that draws on canvas over targetRect, whatever its pictures come from; the
// window that owns the canvas calls it once the canvas has its size. May throw.
using TShowFactory =
    std::function<std::unique_ptr<TCbScreenSaver>(TCanvas& canvas, const TRect& targetRect)>;

// The show logic: on every timer tick picks the next picture or the title screen, composes it
// at screen size with background and caption, scales it to the target and reveals it through
// a transition. Pictures and the sound file come from the two virtual operations.
//
// With a frame clock among its services the show spreads each effect's steps over the
// transition time of display frames (a second unless the record's further choices say
// otherwise), and moves each picture slowly while it stays when those choices ask for pan and
// zoom; with a worker it decodes the next picture while the current one is on show. Pictures,
// effects and random draws come in the same order either way: the next picture is chosen when
// the effect before it has ended. Pan and zoom and the push effect draw from generators of
// their own, never from Random.
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

    // A decode of one picture that a worker thread runs: self-contained (it holds what it
    // reads by value), it never calls Random, never draws on a canvas that anyone else uses
    // and never touches the show, which may be gone before it ends. Its result is handed back
    // to the user-interface thread. It may throw as GetPicture does.
    using TPictureJob = std::function<std::shared_ptr<const TBitmap>()>;
    // The job that decodes picture index, or an empty one (the default) when the picture is
    // to come from GetPicture on the user-interface thread.
    virtual TPictureJob PictureJob(int32_t index);

private:
    void StartSound();
    void Tick();
    void ShowNextFrame();
    void Frame();
    void EffectSteps();
    void MotionFrame();
    void BeginMotion();
    void EffectEnded();
    void PrepareNext();
    void PictureArrived();
    void NextPicture();
    void ComposeFrame();
    void PickEffect();

    TCanvas& FTargetCanvas;
    TSaverSettings FSettings;
    // The choices beyond the record's own fields, decoded from its slot 255.
    TShowExtras FExtras;
    TShowOrder FOrder;
    bool FQuiet;
    std::unique_ptr<TTimer> FTimer;
    std::unique_ptr<TBitmap> FTitleBitmap;
    std::unique_ptr<TBitmap> FFrameBitmap;
    std::unique_ptr<TBitmap> FTargetBitmap;
    // Released through CancelAndFree, which destroys the runner itself.
    TCcTransition* FTransition = nullptr;
    std::unique_ptr<TCdSound> FSound;
    std::unique_ptr<TFrameClock> FFrameClock;
    TWorker* FWorker;
    bool FStopping = false;
    int32_t FPictureIndex = 0;
    // The pictures that failed to decode since the last frame shown.
    std::bitset<256> FFailedPictures;
    int32_t FIntervalMs;
    // How long a paced effect takes, whatever its number of steps and the target's size.
    double FEffectMs;
    // Effects 21..23 take part in the choice; without them it draws exactly as the twenty did.
    bool FMoreEffects;

    // Settings that no caller should pass (no picture, no effect) leave the show inert: it
    // shows the background and never ticks, rather than drawing random numbers forever.
    bool FInert;
    // Set while a tick or a frame runs, so that a Stop reached from inside it (a nested event
    // loop somewhere below) defers the destruction to the handler's end.
    bool FInTick = false;

    // The decode of the picture chosen for the next tick, filled by the worker.
    struct TDecode;
    std::shared_ptr<TDecode> FDecode;
    // The tick came before the decode had ended; the decode's end shows the frame.
    bool FWaitingForPicture = false;
    // The seed Random draws from in this show, when it is not the process's (a further screen).
    std::shared_ptr<uint32_t> FOwnSeed;
    // Lets a decode that ends after the show has gone find that out.
    std::shared_ptr<TCbScreenSaver*> FAlive;

    // The picture of the frame composed last, where it lies on the frame and the blurred
    // background under it: what pan and zoom moves.
    std::shared_ptr<const TBitmap> FShownPicture;
    TRect FShownPlace;
    std::shared_ptr<TBitmap> FShownBackdrop;
    // The composed frame before the caption and the date went over its picture.
    std::unique_ptr<TBitmap> FBareFrame;
    // A caption or the date went over the picture composed last.
    bool FHasStills = false;
    // Pan and zoom, only with a frame clock and when the record asks for it.
    std::unique_ptr<TCePanZoom> FMotion;
    // What the moving picture leaves uncovered shows, at the target's size.
    std::shared_ptr<TBitmap> FMotionBackground;
    // The generator of the movements; each picture takes two draws.
    std::mt19937 FMotionRandom;
    // The picture is moving: the frame clock runs over the interval for it.
    bool FMoving = false;
    double FMotionDrawnAt = 0;
    // The least time between two frames of the movement: about a pixel of the way, at 30 to 60
    // frames a second.
    double FMotionSpacing = 0;
};
