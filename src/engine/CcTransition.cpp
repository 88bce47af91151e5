#include "engine/CcTransition.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <system_error>

#include "toolkit/Bitmap.h"
#include "toolkit/Canvas.h"
#include "toolkit/Random.h"
#include "toolkit/Rounding.h"

namespace {

// Positions are computed in x87 extended precision in the order the formulas are written:
// the results differ from double precision for some strip and slat positions.
using Extended = long double;

// Makes the source the target's fill pattern while steps are drawn and returns the brush to
// solid white however they end.
class TPatternBrush {
public:
    TPatternBrush(TCanvas& target, const TBitmap& source) : FTarget(target) {
        FTarget.Brush().Bitmap = &source;
    }
    ~TPatternBrush() { FTarget.Brush().Reset(); }
    TPatternBrush(const TPatternBrush&) = delete;
    TPatternBrush& operator=(const TPatternBrush&) = delete;

private:
    TCanvas& FTarget;
};

// Makes a bitmap of the given size, keeping the one there is when it can.
void Reuse(std::unique_ptr<TBitmap>& bitmap, int32_t width, int32_t height) {
    if (!bitmap) {
        bitmap = std::make_unique<TBitmap>(width, height);
    } else {
        bitmap->SetSize(width, height);
    }
}

constexpr int32_t kSlatCount = 20;
constexpr int32_t kLineCount = TCcTransition::kLineCount;

enum class TFamily : uint8_t {
    SlideIn,
    Wipe,
    BoxOut,
    BoxIn,
    SplitOpen,
    SplitClose,
    Lines,
    Blinds,
    Crossfade,
    Push,
    ZoomFade,
};

// How one effect is drawn. The steps are also the divisor of the family's formulas: step i of
// n reaches i / n of the way.
struct TEffectShape {
    TEffect Effect;
    TFamily Family;
    int32_t Steps;
    // Slides and wipes: the side the new picture comes in from, -1 left or top, +1 right or
    // bottom, 0 neither.
    int8_t FromX = 0;
    int8_t FromY = 0;
    // Lines and blinds: strips that run across the picture rather than down it.
    bool Rows = false;
    // Whether the effect closes with a full reveal, also when it is cancelled.
    bool EndsRevealed = false;
};

// Each slat of each of the 20 growth steps of the blinds is a step of its own, so that they
// move as smoothly as the other effects when the steps are spread over time.
constexpr int32_t kBlindsSteps = kSlatCount * kSlatCount;
// Steps of the effects that draw the whole picture at each step: fine enough that even a
// three-second effect has a step for every few milliseconds.
constexpr int32_t kContinuousSteps = 1000;
// The size the zooming picture starts at, as a part of its own.
constexpr double kZoomFrom = 0.9;

// In the order of the effects' numbers, so that effect n is Effects[n - 1].
// Columns: effect, family, steps, from x, from y, rows, ends revealed.
constexpr TEffectShape Effects[] = {
    {efSlideFromRight, TFamily::SlideIn, 100, +1, 0, false, false},
    {efSlideFromLeft, TFamily::SlideIn, 100, -1, 0, false, false},
    {efSlideFromBelow, TFamily::SlideIn, 100, 0, +1, false, false},
    {efSlideFromAbove, TFamily::SlideIn, 100, 0, -1, false, false},
    {efSlideFromBelowRight, TFamily::SlideIn, 100, +1, +1, false, false},
    {efSlideFromAboveRight, TFamily::SlideIn, 100, +1, -1, false, false},
    {efSlideFromBelowLeft, TFamily::SlideIn, 100, -1, +1, false, false},
    {efSlideFromAboveLeft, TFamily::SlideIn, 100, -1, -1, false, false},
    {efWipeFromRight, TFamily::Wipe, 100, +1, 0, false, false},
    {efWipeFromLeft, TFamily::Wipe, 100, -1, 0, false, false},
    {efWipeFromBelow, TFamily::Wipe, 100, 0, +1, false, false},
    {efWipeFromAbove, TFamily::Wipe, 100, 0, -1, false, false},
    {efBoxOut, TFamily::BoxOut, 250, 0, 0, false, false},
    {efBoxIn, TFamily::BoxIn, 50, 0, 0, false, true},
    {efSplitOpen, TFamily::SplitOpen, 100, 0, 0, false, false},
    {efSplitClose, TFamily::SplitClose, 50, 0, 0, false, true},
    {efRandomRows, TFamily::Lines, kLineCount, 0, 0, true, true},
    {efRandomColumns, TFamily::Lines, kLineCount, 0, 0, false, true},
    {efBlindsRows, TFamily::Blinds, kBlindsSteps, 0, 0, true, true},
    {efBlindsColumns, TFamily::Blinds, kBlindsSteps, 0, 0, false, true},
    {efCrossfade, TFamily::Crossfade, kContinuousSteps, 0, 0, false, false},
    {efPush, TFamily::Push, kContinuousSteps, 0, 0, false, false},
    {efZoomFade, TFamily::ZoomFade, kContinuousSteps, 0, 0, false, false},
};
constexpr bool InEffectOrder() {
    for (size_t k = 0; k < std::size(Effects); ++k) {
        if (Effects[k].Effect != static_cast<int32_t>(k + 1)) {
            return false;
        }
    }
    return std::size(Effects) == efLast;
}
static_assert(InEffectOrder(), "one row per effect, in number order");

// The shape of an effect that StepsOf knows.
const TEffectShape& ShapeOf(int32_t effect) {
    return Effects[effect - 1];
}

}  // namespace

TCcTransition::TCcTransition() = default;
TCcTransition::~TCcTransition() {
    AwaitZoom();
}

bool TCcTransition::Continuous(int32_t effect) {
    if (effect < 1 || effect > efLast) {
        return false;
    }
    const TFamily family = ShapeOf(effect).Family;
    return family == TFamily::Crossfade || family == TFamily::Push || family == TFamily::ZoomFade;
}

int32_t TCcTransition::StepsOf(int32_t effect) {
    if (effect < 1 || effect > efLast) {
        return 0;
    }
    return ShapeOf(effect).Steps;
}

void TCcTransition::Run(TBitmap* source, TCanvas* target, int32_t effect) {
    Begin(source, target, effect);
    DrawSteps(FStepCount);
}

void TCcTransition::Begin(TBitmap* source, TCanvas* target, int32_t effect) {
    AwaitZoom();
    Source = source;
    Target = target;
    Effect = effect;
    FActive = false;
    FStepCount = 0;
    FStepsDrawn = 0;
    FUsed.reset();
    try {
        if (!Source) {
            return;
        }
        Width = Source->Width();
        Height = Source->Height();
        Running = true;
        FStepCount = StepsOf(Effect);
        if (FStepCount == 0) {
            Running = false;
            return;
        }
        FActive = Target != nullptr;
        if (FActive && Continuous(Effect)) {
            Reuse(FOld, Width, Height);
            FOld->Canvas().CopyRect({0, 0, Width, Height}, *Target, {0, 0, Width, Height});
            if (Effect == efPush) {
                FPushFrom = static_cast<TPushFrom>(FOwnRandom() % 4);
            }
            if (Effect == efZoomFade) {
                Reuse(FZoomed, Width, Height);
                FZoomLastStep = 0;
                DrawZoomedAhead(1);
            }
        }
    } catch (...) {
        // An effect that fails simply ends; the show goes on with the next slide.
    }
}

void TCcTransition::DrawSteps(int32_t last) {
    last = std::min(last, FStepCount);
    if (!FActive || last <= FStepsDrawn) {
        return;
    }
    try {
        std::optional<TPatternBrush> pattern;
        if (ShapeOf(Effect).Family != TFamily::SlideIn && !Continuous(Effect)) {
            pattern.emplace(*Target, *Source);
        }
        if (Continuous(Effect)) {
            // Each step draws the whole picture: the steps before the last one due would be
            // covered at once.
            FStepsDrawn = last - 1;
        }
        while (FStepsDrawn < last) {
            if (!Step(++FStepsDrawn)) {
                Finish();
                End();
                return;
            }
        }
        if (FStepsDrawn == FStepCount) {
            Finish();
            End();
        }
    } catch (...) {
        FActive = false;
    }
}

void TCcTransition::Cancel() {
    Cancelled = true;
    if (FActive) {
        DrawSteps(FStepsDrawn + 1);
    }
}

void TCcTransition::End() {
    AwaitZoom();
    FActive = false;
    Running = false;
}

void TCcTransition::CancelAndFree() {
    Cancelled = true;
    delete this;
}

void TCcTransition::DrawAt(int32_t x, int32_t y) {
    Target->CopyRect({x, y, x + Width, y + Height}, Source->Canvas(), {0, 0, Width, Height});
}

void TCcTransition::Reveal(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    // Rectangles may reach one pixel past the source (rounded strip ends, box out at odd
    // widths); there the tiled pattern would repeat the source's far side onto a larger target.
    Target->FillRect(TRect{left, top, right, bottom}.Intersected({0, 0, Width, Height}));
}

bool TCcTransition::Step(int32_t i) {
    switch (ShapeOf(Effect).Family) {
        case TFamily::SlideIn:
            return SlideIn(i);
        case TFamily::Wipe:
            return Wipe(i);
        case TFamily::BoxOut:
            return BoxOut(i);
        case TFamily::BoxIn:
            return BoxIn(i);
        case TFamily::SplitOpen:
            return SplitOpen(i);
        case TFamily::SplitClose:
            return SplitClose(i);
        case TFamily::Lines:
            return RandomLines(i);
        case TFamily::Blinds:
            return Blinds(i);
        case TFamily::Crossfade:
            return Crossfade(i);
        case TFamily::Push:
            return Push(i);
        case TFamily::ZoomFade:
            return ZoomFade(i);
    }
    return false;
}

void TCcTransition::Finish() {
    if (ShapeOf(Effect).EndsRevealed) {
        Reveal(0, 0, Width, Height);
    }
}

bool TCcTransition::SlideIn(int32_t i) {
    const TEffectShape& shape = ShapeOf(Effect);
    const int32_t n = FStepCount;
    int32_t x = 0;
    int32_t y = 0;
    if (shape.FromX > 0) {
        x = RoundToEven(Width - Extended(Width * i) / n);
    } else if (shape.FromX < 0) {
        x = RoundToEven(Extended(Width * i) / n - Width);
    }
    if (shape.FromY > 0) {
        y = RoundToEven(Height - Extended(Height * i) / n);
    } else if (shape.FromY < 0) {
        y = RoundToEven(Extended(Height * i) / n - Height);
    }
    if (Cancelled) {
        return false;
    }
    DrawAt(x, y);
    return true;
}

bool TCcTransition::Wipe(int32_t i) {
    const TEffectShape& shape = ShapeOf(Effect);
    const int32_t n = FStepCount;
    int32_t left = 0, top = 0, right = Width, bottom = Height;
    if (shape.FromX > 0) {
        left = RoundToEven(Width - Extended(Width * i) / n);
    } else if (shape.FromX < 0) {
        right = RoundToEven(Extended(Width * i) / n);
    } else if (shape.FromY > 0) {
        top = RoundToEven(Height - Extended(Height * i) / n);
    } else {
        bottom = RoundToEven(Extended(Height * i) / n);
    }
    if (Cancelled) {
        return false;
    }
    Reveal(left, top, right, bottom);
    return true;
}

bool TCcTransition::BoxOut(int32_t i) {
    const int32_t cx = RoundToEven(Extended(Width) / 2);
    const int32_t cy = RoundToEven(Extended(Height) / 2);
    const int32_t dx = RoundToEven(Extended(cx * i) / FStepCount);
    const int32_t dy = RoundToEven(Extended(cy * i) / FStepCount);
    if (Cancelled) {
        return false;
    }
    Reveal(cx - dx, cy - dy, cx + dx, cy + dy);
    return true;
}

bool TCcTransition::BoxIn(int32_t i) {
    const int32_t a = RoundToEven(Extended(Width) / 2 * i / FStepCount);
    const int32_t b = RoundToEven(Extended(Height) / 2 * i / FStepCount);
    if (Cancelled) {
        return false;
    }
    Reveal(0, 0, a, Height);
    Reveal(0, 0, Width, b);
    Reveal(Width - a, 0, Width, Height);
    Reveal(0, Height - b, Width, Height);
    return true;
}

bool TCcTransition::SplitOpen(int32_t i) {
    const int32_t cx = RoundToEven(Extended(Width) / 2);
    const int32_t d = RoundToEven(Extended(cx * i) / FStepCount);
    if (Cancelled) {
        return false;
    }
    Reveal(cx - d, 0, cx + d, Height);
    return true;
}

bool TCcTransition::SplitClose(int32_t i) {
    const int32_t a = RoundToEven(Extended(Width) / 2 * i / FStepCount);
    if (Cancelled) {
        return false;
    }
    Reveal(0, 0, a, Height);
    Reveal(Width - a, 0, Width, Height);
    return true;
}

bool TCcTransition::RandomLines(int32_t) {
    int32_t n;
    do {
        n = Random(kLineCount);
    } while (FUsed[n]);
    FUsed.set(n);
    // Each strip is one pixel thicker than the rounded pitch so that neighbours touch.
    if (ShapeOf(Effect).Rows) {
        const int32_t t = RoundToEven(Extended(Height) / kLineCount * n);
        const int32_t b = RoundToEven(Extended(Height) / kLineCount) + t + 1;
        if (Cancelled) {
            return false;
        }
        Reveal(0, t, Width, b);
    } else {
        const int32_t l = RoundToEven(Extended(Width) / kLineCount * n);
        const int32_t r = RoundToEven(Extended(Width) / kLineCount) + l + 1;
        if (Cancelled) {
            return false;
        }
        Reveal(l, 0, r, Height);
    }
    return true;
}

// Step i is slat j of growth step s. The check after each growth step's last slat only ever
// leads to the final reveal, as the next slat's own check does, so it needs no step of its own.
bool TCcTransition::Blinds(int32_t i) {
    const int32_t s = (i - 1) / kSlatCount + 1;
    const int32_t j = (i - 1) % kSlatCount;
    const bool horizontal = ShapeOf(Effect).Rows;
    const int32_t extent = horizontal ? Height : Width;
    const int32_t g = RoundToEven(Extended(extent) / kSlatCount * s / kSlatCount);
    const int32_t p = RoundToEven(Extended(extent) / kSlatCount * j);
    if (Cancelled) {
        return false;
    }
    if (horizontal) {
        Reveal(0, p, Width, p + g);
    } else {
        Reveal(p, 0, p + g, Height);
    }
    return true;
}

// Each step mixes the old picture and the new one afresh, a little more of the new one each
// time, in one pass over the pixels; the last step leaves the new picture as it is.
bool TCcTransition::Crossfade(int32_t i) {
    if (Cancelled) {
        return false;
    }
    if (i == FStepCount) {
        DrawAt(0, 0);
        return true;
    }
    Target->DrawMixed({0, 0, Width, Height}, *FOld, *Source, double(i) / FStepCount);
    return true;
}

// The new picture comes in from one side and moves the old one out at the other, both at the
// same pace.
bool TCcTransition::Push(int32_t i) {
    const bool across = FPushFrom == pfRight || FPushFrom == pfLeft;
    const int32_t extent = across ? Width : Height;
    const int32_t d = RoundToEven(Extended(extent) * i / FStepCount);
    // From the right or the bottom both pictures move towards the origin.
    const int32_t sign = FPushFrom == pfRight || FPushFrom == pfBottom ? -1 : 1;
    const int32_t oldAt = sign * d;
    const int32_t newAt = oldAt - sign * extent;
    if (Cancelled) {
        return false;
    }
    if (across) {
        DrawWithin(FOld->Canvas(), oldAt, 0);
        DrawWithin(Source->Canvas(), newAt, 0);
    } else {
        DrawWithin(FOld->Canvas(), 0, oldAt);
        DrawWithin(Source->Canvas(), 0, newAt);
    }
    return true;
}

// Both pictures of a push stay within the source's rectangle, as the old one was.
void TCcTransition::DrawWithin(TCanvas& from, int32_t x, int32_t y) {
    const TRect dest = TRect{x, y, x + Width, y + Height}.Intersected({0, 0, Width, Height});
    if (!dest.IsEmpty()) {
        Target->CopyRect(
            dest, from, {dest.Left - x, dest.Top - y, dest.Right - x, dest.Bottom - y});
    }
}

// The new picture grows about the centre from nine tenths of its size to the whole while it
// fades in over the old one. Each frame mixes in the growing picture drawn for it ahead of time
// and has the next frame's drawn meanwhile, as far ahead as this frame came after the last.
bool TCcTransition::ZoomFade(int32_t i) {
    if (Cancelled) {
        return false;
    }
    if (i == FStepCount) {
        AwaitZoom();
        DrawAt(0, 0);
        return true;
    }
    if (FZoomAhead.valid()) {
        TakeZoom();
    } else {
        FZoomedStep = std::max(FZoomedStep, i);
        FZoomedRect = ZoomedAt(FZoomedStep);
        DrawZoomed(FZoomedRect);
    }
    Target->DrawMixed(FZoomedRect, *FOld, *FZoomed, double(i) / FStepCount);
    // The rectangle only ever grows, so that outside it the target still shows the old picture
    // it showed when the effect began.
    const int32_t next =
        std::clamp(i + std::max(i - FZoomLastStep, 1), FZoomedStep, FStepCount - 1);
    FZoomLastStep = i;
    DrawZoomedAhead(next);
    return true;
}

void TCcTransition::DrawZoomedAhead(int32_t step) {
    FZoomedStep = step;
    FZoomedRect = ZoomedAt(step);
    try {
        FZoomAhead =
            std::async(std::launch::async, [this, inner = FZoomedRect] { DrawZoomed(inner); });
    } catch (const std::system_error&) {
        // No thread to be had: the next frame draws its picture itself.
    }
}

// Whole pixels with the same margin on both sides: the picture grows by a pixel or more a frame.
TRect TCcTransition::ZoomedAt(int32_t i) const {
    const double scale = kZoomFrom + (1 - kZoomFrom) * i / FStepCount;
    const auto mx = static_cast<int32_t>(std::lround(Width * (1 - scale) / 2));
    const auto my = static_cast<int32_t>(std::lround(Height * (1 - scale) / 2));
    return {mx, my, Width - mx, Height - my};
}

void TCcTransition::DrawZoomed(const TRect& inner) {
    FZoomed->Canvas().DrawSmooth(inner.Left, inner.Top, inner.Width(), inner.Height(), *Source);
}

void TCcTransition::TakeZoom() {
    std::future<void> ahead = std::move(FZoomAhead);
    ahead.get();
}

void TCcTransition::AwaitZoom() {
    try {
        if (FZoomAhead.valid()) {
            TakeZoom();
        }
    } catch (...) {
        // The effect is over; what went wrong drawing ahead no longer matters.
    }
}
