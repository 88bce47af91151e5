#include "engine/CcTransition.h"

#include <bitset>

#include "toolkit/Bitmap.h"
#include "toolkit/Canvas.h"
#include "toolkit/Random.h"
#include "toolkit/Rounding.h"

namespace {

// Positions are computed in x87 extended precision in the order the formulas are written:
// the results differ from double precision for some strip and slat positions.
using Extended = long double;

// Makes the source the target's fill pattern for the life of a fill effect and returns the
// brush to solid white however the effect ends.
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

constexpr int32_t kLineCount = 800;
constexpr int32_t kSlatCount = 20;

}  // namespace

void TCcTransition::Run(TBitmap* source, TCanvas* target, int32_t effect) {
    Source = source;
    Target = target;
    Effect = effect;
    try {
        if (!Source) {
            return;
        }
        Width = Source->Width();
        Height = Source->Height();
        Running = true;
        if (Effect >= 1 && Effect <= 20) {
            if (!Target) {
                return;
            }
            if (Effect <= 8) {
                SlideIn();
            } else {
                TPatternBrush pattern(*Target, *Source);
                if (Effect <= 12) {
                    Wipe();
                } else if (Effect == 13) {
                    BoxOut();
                } else if (Effect == 14) {
                    BoxIn();
                } else if (Effect == 15) {
                    SplitOpen();
                } else if (Effect == 16) {
                    SplitClose();
                } else if (Effect <= 18) {
                    RandomLines();
                } else {
                    Blinds();
                }
            }
        }
        Running = false;
    } catch (...) {
        // An effect that fails simply ends; the show goes on with the next slide.
    }
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

void TCcTransition::SlideIn() {
    const bool fromRight = Effect == 1 || Effect == 5 || Effect == 6;
    const bool fromLeft = Effect == 2 || Effect == 7 || Effect == 8;
    const bool fromBelow = Effect == 3 || Effect == 5 || Effect == 7;
    const bool fromAbove = Effect == 4 || Effect == 6 || Effect == 8;
    for (int32_t i = 1; i <= 100; ++i) {
        int32_t x = 0;
        int32_t y = 0;
        if (fromRight) {
            x = RoundToEven(Width - Extended(Width * i) / 100);
        } else if (fromLeft) {
            x = RoundToEven(Extended(Width * i) / 100 - Width);
        }
        if (fromBelow) {
            y = RoundToEven(Height - Extended(Height * i) / 100);
        } else if (fromAbove) {
            y = RoundToEven(Extended(Height * i) / 100 - Height);
        }
        if (Cancelled) {
            return;
        }
        DrawAt(x, y);
    }
}

void TCcTransition::Wipe() {
    for (int32_t i = 1; i <= 100; ++i) {
        int32_t left = 0, top = 0, right = Width, bottom = Height;
        switch (Effect) {
            case 9:
                left = RoundToEven(Width - Extended(Width * i) / 100);
                break;
            case 10:
                right = RoundToEven(Extended(Width * i) / 100);
                break;
            case 11:
                top = RoundToEven(Height - Extended(Height * i) / 100);
                break;
            default:
                bottom = RoundToEven(Extended(Height * i) / 100);
                break;
        }
        if (Cancelled) {
            return;
        }
        Reveal(left, top, right, bottom);
    }
}

void TCcTransition::BoxOut() {
    for (int32_t i = 1; i <= 250; ++i) {
        const int32_t cx = RoundToEven(Extended(Width) / 2);
        const int32_t cy = RoundToEven(Extended(Height) / 2);
        const int32_t dx = RoundToEven(Extended(cx * i) / 250);
        const int32_t dy = RoundToEven(Extended(cy * i) / 250);
        if (Cancelled) {
            return;
        }
        Reveal(cx - dx, cy - dy, cx + dx, cy + dy);
    }
}

void TCcTransition::BoxIn() {
    for (int32_t i = 1; i <= 50; ++i) {
        const int32_t a = RoundToEven(Extended(Width) / 2 * i / 50);
        const int32_t b = RoundToEven(Extended(Height) / 2 * i / 50);
        if (Cancelled) {
            break;
        }
        Reveal(0, 0, a, Height);
        Reveal(0, 0, Width, b);
        Reveal(Width - a, 0, Width, Height);
        Reveal(0, Height - b, Width, Height);
    }
    Reveal(0, 0, Width, Height);
}

void TCcTransition::SplitOpen() {
    for (int32_t i = 1; i <= 100; ++i) {
        const int32_t cx = RoundToEven(Extended(Width) / 2);
        const int32_t d = RoundToEven(Extended(cx * i) / 100);
        if (Cancelled) {
            return;
        }
        Reveal(cx - d, 0, cx + d, Height);
    }
}

void TCcTransition::SplitClose() {
    for (int32_t i = 1; i <= 50; ++i) {
        const int32_t a = RoundToEven(Extended(Width) / 2 * i / 50);
        if (Cancelled) {
            break;
        }
        Reveal(0, 0, a, Height);
        Reveal(Width - a, 0, Width, Height);
    }
    Reveal(0, 0, Width, Height);
}

void TCcTransition::RandomLines() {
    std::bitset<kLineCount> used;
    const bool horizontal = Effect == 17;
    for (int32_t k = 0; k < kLineCount; ++k) {
        int32_t n;
        do {
            n = Random(kLineCount);
        } while (used[n]);
        used.set(n);
        // Each strip is one pixel thicker than the rounded pitch so that neighbours touch.
        if (horizontal) {
            const int32_t t = RoundToEven(Extended(Height) / kLineCount * n);
            const int32_t b = RoundToEven(Extended(Height) / kLineCount) + t + 1;
            if (Cancelled) {
                break;
            }
            Reveal(0, t, Width, b);
        } else {
            const int32_t l = RoundToEven(Extended(Width) / kLineCount * n);
            const int32_t r = RoundToEven(Extended(Width) / kLineCount) + l + 1;
            if (Cancelled) {
                break;
            }
            Reveal(l, 0, r, Height);
        }
    }
    Reveal(0, 0, Width, Height);
}

void TCcTransition::Blinds() {
    const bool horizontal = Effect == 19;
    const int32_t extent = horizontal ? Height : Width;
    for (int32_t s = 1; s <= kSlatCount; ++s) {
        const int32_t g = RoundToEven(Extended(extent) / kSlatCount * s / kSlatCount);
        for (int32_t j = 0; j < kSlatCount; ++j) {
            const int32_t p = RoundToEven(Extended(extent) / kSlatCount * j);
            if (Cancelled) {
                break;
            }
            if (horizontal) {
                Reveal(0, p, Width, p + g);
            } else {
                Reveal(p, 0, p + g, Height);
            }
        }
        if (Cancelled) {
            break;
        }
    }
    Reveal(0, 0, Width, Height);
}
