#include "engine/CbScreenSaver.h"

#include <algorithm>
#include <cmath>

#include "engine/CcTransition.h"
#include "engine/CdSound.h"
#include "engine/CePanZoom.h"
#include "engine/DateStamp.h"
#include "engine/FittedPicture.h"
#include "engine/OwnRandom.h"
#include "engine/ShowCaptions.h"
#include "toolkit/Backdrop.h"
#include "toolkit/Bitmap.h"
#include "toolkit/FrameClock.h"
#include "toolkit/Picture.h"
#include "toolkit/Random.h"
#include "toolkit/Screen.h"
#include "toolkit/Timer.h"
#include "toolkit/Worker.h"

namespace {

constexpr uint32_t FirstTickMs = 100;
// Frames of the movement of a picture: at least 30 a second, at most 60.
constexpr double SlowestFrameMs = 1000.0 / 30;
constexpr double FastestFrameMs = 1000.0 / 60;
// A frame of the display may come this much earlier than the movement's spacing asks.
constexpr double FrameSlack = 0.75;
// The generator of pan and zoom starts the same in every show, as Random does.
constexpr unsigned MotionSeed = 20261209;

bool AnyEffectEnabled(const TSaverSettings& settings, const TShowExtras& extras) {
    for (int effect = 1; effect <= efLast; ++effect) {
        if (TransitionAllowed(settings, extras, effect)) {
            return true;
        }
    }
    return false;
}

bool AnyMoreEffect(const TShowExtras& extras) {
    for (bool on : extras.MoreTransitions) {
        if (on) {
            return true;
        }
    }
    return false;
}

TShowOrder::TKind OrderKind(const TSaverSettings& settings, const TShowExtras& extras) {
    if (settings.SequentialOrder != 0) {
        return TShowOrder::Sequential;
    }
    return extras.Shuffle ? TShowOrder::Shuffle : TShowOrder::RandomDraws;
}

// The shuffle's seed: the same for every show of one record, so that the shows on several
// screens (each a process of its own under xscreensaver) make the same sequence. Slot 255, where
// the further choices lie, is left out: turning one of them on keeps the order.
uint32_t RecordSeed(const TSaverSettings& settings) {
    uint32_t hash = 2166136261u;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&settings);
    const auto* extras = reinterpret_cast<const unsigned char*>(&settings.PictureTexts[255]);
    for (size_t i = 0; i < sizeof settings; ++i) {
        if (bytes + i < extras || bytes + i >= extras + sizeof(TSaverPictureText)) {
            hash = (hash ^ bytes[i]) * 16777619u;
        }
    }
    return hash;
}

}  // namespace

// Written by the worker thread before it hands the decode back, read on the user-interface
// thread only once Ended is set there.
struct TCbScreenSaver::TDecode {
    std::shared_ptr<const TBitmap> Picture;
    // With pan and zoom, the picture at the largest size the movement shows it, when the
    // decoder gave more pixels than the fit keeps: sharper than Picture filtered up.
    std::shared_ptr<const TBitmap> Moving;
    // The blurred background when the record asks for one.
    std::shared_ptr<TBitmap> Backdrop;
    // Set when Picture is already scaled to fit the frame at Place, so that the
    // user-interface thread only copies it.
    bool Fitted = false;
    TRect Place;
    std::exception_ptr Error;
    bool Ended = false;
};

TCbScreenSaver::TCbScreenSaver(TCanvas& targetCanvas,
                               const TRect& targetRect,
                               const TSaverSettings& settings,
                               bool quiet,
                               const TShowServices& services)
    : FTargetCanvas(targetCanvas)
    , FSettings(settings)
    , FExtras(ReadShowExtras(settings))
    , FOrder(settings.PictureCount,
             settings.Description.ShowDescription != 0,
             OrderKind(settings, FExtras),
             FExtras.EachScreenDifferent ? services.ScreenIndex : 0,
             RecordSeed(settings))
    , FQuiet(quiet)
    // Wraps like the 32-bit product it stands for, without signed overflow.
    , FIntervalMs(static_cast<int32_t>(static_cast<uint32_t>(settings.IntervalSeconds) * 1000u))
    , FEffectMs(TransitionMilliseconds(FExtras))
    , FMoreEffects(AnyMoreEffect(FExtras))
    , FInert(settings.PictureCount == 0 || !AnyEffectEnabled(settings, FExtras))
    , FMotionRandom(MotionSeed) {
    if (FIntervalMs == 0) {
        FIntervalMs = 1;
    }
    FTimer = services.Timers.CreateTimer();
    FTimer->SetEnabled(false);
    FTimer->OnTimer = [this] { Tick(); };

    const int sw = services.Screen.Width();
    const int sh = services.Screen.Height();
    FTitleBitmap = std::make_unique<TBitmap>(sw, sh);
    if (FSettings.Description.ShowDescription != 0) {
        DrawTitleScreen(*FTitleBitmap, FSettings);
    }
    FFrameBitmap = std::make_unique<TBitmap>(sw, sh);
    FTargetBitmap = std::make_unique<TBitmap>(targetRect.Right - targetRect.Left + 1,
                                              targetRect.Bottom - targetRect.Top + 1);
    FTransition = new TCcTransition();
    FSound = std::make_unique<TCdSound>(services.Media, services.Wave);
    if (services.Frames) {
        FFrameClock = services.Frames->CreateFrameClock();
        FFrameClock->OnFrame = [this] { Frame(); };
        if (FExtras.PanZoom) {
            FMotion = std::make_unique<TCePanZoom>();
            FBareFrame = std::make_unique<TBitmap>(sw, sh);
            FMotionBackground =
                std::make_shared<TBitmap>(FTargetBitmap->Width(), FTargetBitmap->Height());
        }
    }
    FWorker = services.Worker;
    // A show on a further screen draws as a saver process of its own would, from a seed that
    // starts at 0, and leaves the process's draws, those of the first screen, as they are.
    if (services.ScreenIndex > 0) {
        FOwnSeed = std::make_shared<uint32_t>(0);
    }
    FAlive = std::make_shared<TCbScreenSaver*>(this);
}

TCbScreenSaver::~TCbScreenSaver() {
    // A decode still under way finds the show gone and drops its picture.
    FAlive.reset();
    if (FFrameClock) {
        FFrameClock->Stop();
    }
    if (FTransition) {
        // An effect cut short by the end of the show ends as a cancelled one does.
        if (FTransition->Active()) {
            FTransition->Cancel();
        }
        FTransition->CancelAndFree();
        FTransition = nullptr;
    }
}

TCbScreenSaver::TPictureJob TCbScreenSaver::PictureJob(int32_t) {
    return {};
}

void TCbScreenSaver::Start() {
    const TOwnRandom own(FOwnSeed);
    FTargetCanvas.Brush().Reset();
    FTargetCanvas.Brush().Color = FSettings.BackColor;
    FTargetCanvas.FillRect(FTargetCanvas.ClipRect());
    if (FInert) {
        return;
    }
    if (!FQuiet && FSettings.PlaySound != 0) {
        StartSound();
    }
    PrepareNext();
    FTimer->SetInterval(FirstTickMs);
    FTimer->SetEnabled(true);
}

void TCbScreenSaver::StartSound() {
    if (FSettings.SoundIncluded == 0) {
        return;
    }
    const std::string name = GetSoundFileName();
    if (!name.empty()) {
        FSound->Play(name);
    }
}

void TCbScreenSaver::Tick() {
    const TOwnRandom own(FOwnSeed);
    FTimer->SetEnabled(false);
    if (FStopping) {
        return;
    }
    if (FDecode && !FDecode->Ended) {
        FWaitingForPicture = true;
        return;
    }
    ShowNextFrame();
}

void TCbScreenSaver::ShowNextFrame() {
    FInTick = true;
    try {
        if (FMotion) {
            // The moving picture stays as its last frame left it; the next effect starts there.
            FMoving = false;
            FFrameClock->Stop();
            FMotion->End();
        }
        ComposeFrame();
        if (!FStopping) {
            TCanvas& target = FTargetBitmap->Canvas();
            target.StretchDraw(target.ClipRect(), *FFrameBitmap);
            if (FMotion && FShownPicture) {
                BeginMotion();
            }
            PickEffect();
        }
        if (!FStopping && !(FTransition->Active() && FFrameClock)) {
            EffectEnded();
        }
        FFailedPictures.reset();
    } catch (const TPictureDecodeError&) {
        // A picture that cannot be decoded is skipped: nothing is drawn for it and the next one
        // comes at the next interval. Once every picture has failed since the last frame shown,
        // the show stays as it is, like after any other failure.
        FFailedPictures.set(static_cast<size_t>(FPictureIndex));
        if (!FStopping && FFailedPictures.count() < FSettings.PictureCount) {
            EffectEnded();
        }
    } catch (...) {
        // The show freezes on its last frame: the timer stays off until Stop.
    }
    FInTick = false;
    if (FStopping) {
        delete this;
    }
}

void TCbScreenSaver::Frame() {
    const TOwnRandom own(FOwnSeed);
    FInTick = true;
    try {
        if (FMoving) {
            MotionFrame();
        } else {
            EffectSteps();
        }
    } catch (...) {
        // As in a tick: the show freezes on its last frame.
    }
    FInTick = false;
    if (FStopping) {
        delete this;
    }
}

// Draws the steps due by now: step k of n is due at k/n of the effect's time.
void TCbScreenSaver::EffectSteps() {
    const int32_t n = FTransition->StepCount();
    const double elapsed = FFrameClock->ElapsedMs();
    const int32_t due = elapsed >= FEffectMs ? n : static_cast<int32_t>(elapsed * n / FEffectMs);
    FTransition->DrawSteps(due);
    if (!FTransition->Active()) {
        FFrameClock->Stop();
        if (!FStopping) {
            EffectEnded();
        }
    }
}

// The picture's way over its interval, drawn at the frames that are a pixel or so apart; the
// last one leaves it where the interval ends, and there it stays until the next effect.
void TCbScreenSaver::MotionFrame() {
    const double elapsed = FFrameClock->ElapsedMs();
    const double t = elapsed >= FIntervalMs ? 1 : elapsed / FIntervalMs;
    if (t < 1 && elapsed - FMotionDrawnAt < FMotionSpacing * FrameSlack) {
        return;
    }
    FMotion->Draw(FTargetCanvas, t);
    FMotionDrawnAt = elapsed;
    if (t >= 1) {
        FMoving = false;
        FFrameClock->Stop();
    }
}

// Plans the movement of the picture just composed and draws its first moment into the target
// bitmap, so that the effect reveals the picture where it starts to move. The caption and
// the date are taken from the composed frame and stay as they are there.
void TCbScreenSaver::BeginMotion() {
    TBitmap& still = *FTargetBitmap;
    const int tw = still.Width();
    const int th = still.Height();
    const double fx = static_cast<double>(tw) / FFrameBitmap->Width();
    const double fy = static_cast<double>(th) / FFrameBitmap->Height();
    const TCePanZoom::TPlace rest{FShownPlace.Left * fx,
                                  FShownPlace.Top * fy,
                                  FShownPlace.Width() * fx,
                                  FShownPlace.Height() * fy};

    TCanvas& back = FMotionBackground->Canvas();
    if (FShownBackdrop) {
        back.StretchDraw(back.ClipRect(), *FShownBackdrop);
    } else {
        back.Brush().Reset();
        back.Brush().Color = FSettings.BackColor;
        back.FillRect(back.ClipRect());
    }

    // A picture far larger than it is shown (in the panel, say) is shrunk once, with its
    // pixels averaged, rather than filtered down from afar at every frame.
    std::shared_ptr<const TBitmap> picture = std::move(FShownPicture);
    const int needW = static_cast<int>(std::ceil(rest.W * 1.5));
    const int needH = static_cast<int>(std::ceil(rest.H * 1.5));
    if (picture->Width() > 2 * needW && picture->Height() > 2 * needH) {
        auto smaller = std::make_shared<TBitmap>(needW, needH);
        smaller->Canvas().StretchDraw(smaller->Canvas().ClipRect(), *picture);
        picture = std::move(smaller);
    }
    // A pan goes at most about a pixel a frame at 60 frames a second.
    const double reach = FIntervalMs / FastestFrameMs;
    FMotion->Begin(std::move(picture), rest, FMotionBackground, tw, th, reach, FMotionRandom);
    if (FHasStills) {
        FMotion->AddStills(*FBareFrame, *FFrameBitmap, still);
    }
    FMotion->Draw(still.Canvas(), 0);
    const double travel = std::max(FMotion->Travel(), 1e-9);
    FMotionSpacing = std::clamp(FIntervalMs / travel, FastestFrameMs, SlowestFrameMs);
}

// The frame stays its interval from here; the next picture is chosen now, after the effect's
// own random draws, as it would be at the start of the next tick.
void TCbScreenSaver::EffectEnded() {
    FTimer->SetInterval(static_cast<uint32_t>(FIntervalMs));
    FTimer->SetEnabled(true);
    if (FMotion && FMotion->Active()) {
        FMoving = true;
        FMotionDrawnAt = 0;
        FFrameClock->Start();
    }
    PrepareNext();
}

void TCbScreenSaver::PrepareNext() {
    NextPicture();
    FDecode.reset();
    FWaitingForPicture = false;
    if (FPictureIndex == 0 || !FWorker) {
        return;
    }
    TPictureJob job;
    try {
        job = PictureJob(FPictureIndex - 1);
    } catch (...) {
        // The tick asks GetPicture instead, and fails there as a tick does.
        return;
    }
    if (!job) {
        return;
    }
    auto decode = std::make_shared<TDecode>();
    // The worker fits the picture too: scaling a camera picture down reads most of its pixels,
    // and a stretch into a bitmap of the fitted size gives the very pixels that the stretch
    // into the frame would.
    const int w = FFrameBitmap->Width();
    const int h = FFrameBitmap->Height();
    const bool fit = FSettings.StretchImages != 0;
    const bool blur = FExtras.Fill == TShowExtras::fmBlur;
    // The reach of a pan in frame pixels, as BeginMotion gives it in the target's.
    const double reach = FMotion ? FIntervalMs / FastestFrameMs * w / FTargetBitmap->Width() : 0.0;
    FWorker->Post(
        [decode, job = std::move(job), w, h, fit, blur, reach] {
            try {
                TFittedPicture fitted = FitForShow(job(), w, h, fit, blur, reach);
                decode->Place = fitted.Place;
                decode->Fitted = fitted.Fitted;
                decode->Moving = std::move(fitted.Moving);
                decode->Backdrop = std::move(fitted.Backdrop);
                decode->Picture = std::move(fitted.Picture);
            } catch (...) {
                decode->Error = std::current_exception();
            }
        },
        [decode, alive = std::weak_ptr<TCbScreenSaver*>(FAlive)] {
            decode->Ended = true;
            if (const auto show = alive.lock()) {
                (*show)->PictureArrived();
            }
        });
    FDecode = std::move(decode);
}

void TCbScreenSaver::PictureArrived() {
    const TOwnRandom own(FOwnSeed);
    if (FWaitingForPicture && !FStopping) {
        FWaitingForPicture = false;
        ShowNextFrame();
    }
}

void TCbScreenSaver::NextPicture() {
    FPictureIndex = FOrder.Next();
}

void TCbScreenSaver::ComposeFrame() {
    TCanvas& canvas = FFrameBitmap->Canvas();
    FShownPicture.reset();
    FShownBackdrop.reset();
    if (FPictureIndex == 0) {
        canvas.Draw(0, 0, *FTitleBitmap);
        return;
    }
    const int w = FFrameBitmap->Width();
    const int h = FFrameBitmap->Height();
    canvas.Brush().Reset();
    canvas.Brush().Color = FSettings.BackColor;
    // The blurred background covers the whole frame; without it the background colour does.
    auto fillBackground = [&] {
        if (FShownBackdrop) {
            canvas.Draw(0, 0, *FShownBackdrop);
        } else {
            canvas.FillRect(canvas.ClipRect());
        }
    };

    // A decoded picture is let go as soon as the frame holds it.
    std::shared_ptr<const TDecode> decode = std::move(FDecode);
    if (decode && decode->Error) {
        canvas.FillRect(canvas.ClipRect());
        std::rethrow_exception(decode->Error);
    }
    const bool blur = FExtras.Fill == TShowExtras::fmBlur;
    TDateTaken takenOn;
    if (decode && decode->Fitted) {
        FShownBackdrop = decode->Backdrop;
        fillBackground();
        FShownPlace = decode->Place;
        FShownPicture = decode->Moving ? decode->Moving : decode->Picture;
        canvas.Draw(decode->Place.Left, decode->Place.Top, *decode->Picture);
        takenOn = decode->Picture->TakenOn;
    } else {
        const bool decoded = decode && decode->Picture;
        if (!decoded) {
            // The background first, as ever, then the picture from the holder.
            canvas.FillRect(canvas.ClipRect());
        }
        const TBitmap& g = decoded ? *decode->Picture : GetPicture(FPictureIndex - 1);
        if (blur) {
            FShownBackdrop = decode && decode->Backdrop ? decode->Backdrop : MakeBackdrop(g, w, h);
        }
        if (decoded || FShownBackdrop) {
            fillBackground();
        }
        if (FSettings.StretchImages != 0) {
            FShownPlace = FitPicture(w, h, g.Width(), g.Height());
            canvas.StretchDraw(FShownPlace, g);
        } else {
            FShownPlace = Rect((w - g.Width()) / 2,
                               (h - g.Height()) / 2,
                               (w - g.Width()) / 2 + g.Width(),
                               (h - g.Height()) / 2 + g.Height());
            canvas.Draw(FShownPlace.Left, FShownPlace.Top, g);
        }
        if (FMotion) {
            // The decoded picture is shared; one from GetPicture stays the holder's until the
            // next GetPicture, which comes only after the movement has ended.
            FShownPicture = decode && decode->Picture
                                ? decode->Picture
                                : std::shared_ptr<const TBitmap>(std::shared_ptr<void>(), &g);
        }
        takenOn = g.TakenOn;
    }
    const TSaverPictureText& slot = FSettings.PictureTexts[FPictureIndex - 1];
    // A caption of the picture's own takes the place of its date.
    const bool date = FExtras.ShowDates && slot.Text[0] == '\0' && takenOn.Known();
    // What goes over the picture stays still while it moves: the frame before it is kept to
    // find it by.
    FHasStills = FMotion && (slot.Text[0] != '\0' || date);
    if (FHasStills) {
        FBareFrame->Canvas().Draw(0, 0, *FFrameBitmap);
    }
    DrawCaption(*FFrameBitmap, slot);
    if (date) {
        DrawDateStamp(*FFrameBitmap, takenOn, FExtras.DateCorner);
    }
}

void TCbScreenSaver::PickEffect() {
    const int32_t count = FMoreEffects ? efLast : TransitionCount;
    int32_t e;
    do {
        e = Random(count);
    } while (!TransitionAllowed(FSettings, FExtras, e + 1));
    if (FFrameClock) {
        FTransition->Begin(FTargetBitmap.get(), &FTargetCanvas, e + 1);
        if (FTransition->Active()) {
            FFrameClock->Start();
        }
    } else {
        FTransition->Run(FTargetBitmap.get(), &FTargetCanvas, e + 1);
    }
}

void TCbScreenSaver::Stop(std::unique_ptr<TCbScreenSaver>& saver) {
    TCbScreenSaver* self = saver.release();
    if (!self) {
        return;
    }
    self->FStopping = true;
    if (self->FInTick) {
        // Reached from inside a tick: tell the effect to quit and let the tick end first.
        self->FTransition->Cancelled = true;
        return;
    }
    delete self;
}
