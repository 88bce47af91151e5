#pragma once

#include <bitset>
#include <cstdint>
#include <future>
#include <memory>
#include <random>

#include "toolkit/Rect.h"

class TBitmap;
class TCanvas;

// The effects by the number that the settings record and the show use (element k of the
// record's Transitions enables effect k + 1). A slide moves the whole new picture in from a
// side or a corner, a wipe uncovers it from an edge.
enum TEffect : int32_t {
    efSlideFromRight = 1,
    efSlideFromLeft,
    efSlideFromBelow,
    efSlideFromAbove,
    efSlideFromBelowRight,
    efSlideFromAboveRight,
    efSlideFromBelowLeft,
    efSlideFromAboveLeft,
    efWipeFromRight,
    efWipeFromLeft,
    efWipeFromBelow,
    efWipeFromAbove,
    efBoxOut,
    efBoxIn,
    efSplitOpen,
    efSplitClose,
    efRandomRows,
    efRandomColumns,
    efBlindsRows,
    efBlindsColumns,
    // The new picture mixed into the old one, a little more at each step.
    efCrossfade,
    // The new picture comes in from a side and moves the old one out at the other.
    efPush,
    // The new picture grows from 90 % of its size about the centre as it fades in.
    efZoomFade,
    efLast = efZoomFade,
};

// Reveals a new picture over what the target shows by one of the effects above, drawing straight
// onto the target step by step. Never waits for anything but its own drawing; reports nothing.
// Effects 1..20 never read the target; crossfade, push and zoom-fade, which mix or move the old
// picture, copy what the target shows when they begin and draw from that copy. A runner is created
// with new by its owner and released with CancelAndFree.
//
// Run draws a whole effect at once. The stepped form (Begin, then DrawSteps as the steps fall
// due) lets a caller spread the same steps over time: it draws exactly what Run draws, in the
// same order, with the same random draws.
class TCcTransition {
public:
    TCcTransition();
    ~TCcTransition();
    TCcTransition(const TCcTransition&) = delete;
    TCcTransition& operator=(const TCcTransition&) = delete;

    // Runs effect 1..efLast to its end (or to a cancel); any other number draws nothing. Errors end
    // the effect quietly and leave Running set.
    void Run(TBitmap* source, TCanvas* target, int32_t effect);
    // Sets Cancelled, then destroys the runner (delete this). Never call it from inside Run.
    void CancelAndFree();

    // Starts an effect without drawing anything yet; Active() tells whether steps are to come.
    void Begin(TBitmap* source, TCanvas* target, int32_t effect);
    // Draws the steps after StepsDrawn() up to step last (at most StepCount()); the effect
    // ends with its last step, or at a step that finds Cancelled set.
    void DrawSteps(int32_t last);
    // Ends a begun effect as a cancel ends Run: the next step finds Cancelled set, and the
    // effects that close with a full reveal still draw it.
    void Cancel();
    bool Active() const { return FActive; }
    int32_t StepCount() const { return FStepCount; }
    int32_t StepsDrawn() const { return FStepsDrawn; }
    // The steps effect 1..efLast is drawn in; 0 for any other number.
    static int32_t StepsOf(int32_t effect);
    // Effects whose every step draws the whole picture afresh, so that a late frame need only
    // draw the last step due: crossfade, push and zoom-fade.
    static bool Continuous(int32_t effect);

    // Where the new picture of a push comes from.
    enum TPushFrom : int32_t { pfRight, pfLeft, pfBottom, pfTop };
    // The side the push that began last comes from; each push draws it anew from the runner's
    // own generator, so that the show's random draws stay as they are without these effects.
    TPushFrom PushFrom() const { return FPushFrom; }

    TBitmap* Source = nullptr;
    TCanvas* Target = nullptr;
    int32_t Effect = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Running = false;
    bool Cancelled = false;

    // The strips of the random lines.
    static constexpr int32_t kLineCount = 800;

private:
    // Each draws step i (1-based) of its family; false when the step found Cancelled set.
    bool SlideIn(int32_t i);
    bool Wipe(int32_t i);
    bool BoxOut(int32_t i);
    bool BoxIn(int32_t i);
    bool SplitOpen(int32_t i);
    bool SplitClose(int32_t i);
    bool RandomLines(int32_t i);
    bool Blinds(int32_t i);
    bool Crossfade(int32_t i);
    bool Push(int32_t i);
    bool ZoomFade(int32_t i);
    bool Step(int32_t i);
    // The full reveal that closes box in, split close, random lines and blinds.
    void Finish();
    void End();

    // Copies the whole source with its top-left corner at (x, y).
    void DrawAt(int32_t x, int32_t y);
    // Gives every target pixel of the rectangle the source pixel at the same position.
    void Reveal(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Copies the whole of a source-sized canvas with its top-left corner at (x, y), clipped to
    // the source's rectangle.
    void DrawWithin(TCanvas& from, int32_t x, int32_t y);
    // The zooming picture's rectangle at step i, and that picture drawn into FZoomed there.
    TRect ZoomedAt(int32_t i) const;
    void DrawZoomed(const TRect& inner);
    // Starts drawing the zooming picture for step i on its thread.
    void DrawZoomedAhead(int32_t step);
    // Waits for the zooming picture being drawn ahead, if one is; it may throw what the drawing
    // threw. AwaitZoom swallows that: it is for the effect's end.
    void TakeZoom();
    void AwaitZoom();

    bool FActive = false;
    int32_t FStepCount = 0;
    int32_t FStepsDrawn = 0;
    // The random lines already drawn.
    std::bitset<kLineCount> FUsed;
    // What the target showed when a continuous effect began.
    std::unique_ptr<TBitmap> FOld;
    // The zooming picture, scaled on a thread of its own a frame ahead of the frame that mixes
    // it in: at a 4K screen's size the scaling costs more than the frame's share of this thread.
    std::unique_ptr<TBitmap> FZoomed;
    TRect FZoomedRect;
    int32_t FZoomedStep = 0;
    int32_t FZoomLastStep = 0;
    std::future<void> FZoomAhead;
    TPushFrom FPushFrom = pfRight;
    std::mt19937 FOwnRandom;
};
