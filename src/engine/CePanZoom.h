#pragma once

#include <QImage>
#include <memory>
#include <random>
#include <vector>

#include "toolkit/Rect.h"

class TBitmap;
class TCanvas;

// Moves a picture slowly while it stays on the screen: it grows or shrinks by a tenth over
// the interval while it drifts towards one side, or, when its shape is far from the target's,
// it is shown larger and pans along its long side. Over the moving picture go the background
// where it leaves the target uncovered and, above it, the still parts (captions) as they were.
// Everything is in target pixels; positions are fractions of a pixel, drawn filtered.
class TCePanZoom {
public:
    // Where the picture lies at one moment.
    struct TPlace {
        double X = 0, Y = 0, W = 0, H = 0;
    };

    // How a picture at rest on `rest` of a width x height target moves: whether it pans, and
    // the largest it is shown, against its size at rest.
    struct TWay {
        bool Pans = false;
        double Scale = 1;
    };
    static TWay WayOf(const TPlace& rest, int width, int height, double panReach);

    TCePanZoom();
    ~TCePanZoom();
    TCePanZoom(const TCePanZoom&) = delete;
    TCePanZoom& operator=(const TCePanZoom&) = delete;

    // Plans the movement of picture, which at rest covers `rest` of a width x height target;
    // the way it moves comes from random, never from the show's generator. background (of the
    // target's size) shows where the picture does not cover the target. Both are kept, shared.
    // A pan goes at most panReach pixels, so that it stays slow over a short interval.
    void Begin(std::shared_ptr<const TBitmap> picture,
               const TPlace& rest,
               std::shared_ptr<TBitmap> background,
               int width,
               int height,
               double panReach,
               std::mt19937& random);
    // Finds what was drawn over the picture (captions, the date): the pixels where composed,
    // a frame, differs from bare, the same frame before anything went over its picture. Those
    // pixels of still, the composed frame at the target's size, stay still above the moving
    // picture. Nothing is kept when the two frames are alike.
    void AddStills(const TBitmap& bare, const TBitmap& composed, const TBitmap& still);
    // Lets the pictures go.
    void End();
    bool Active() const { return FPicture != nullptr; }

    // Where the picture lies at moment t, 0 at the start of the interval and 1 at its end.
    TPlace PlaceAt(double t) const;
    // Draws moment t: background where the picture leaves the target, picture, still parts.
    void Draw(TCanvas& target, double t) const;
    // The longest way a corner of the picture goes over the whole interval, in pixels.
    double Travel() const;
    // Whether this picture pans rather than zooms.
    bool Pans() const { return FPans; }

private:
    std::shared_ptr<const TBitmap> FPicture;
    std::shared_ptr<TBitmap> FBackground;
    int FWidth = 0;
    int FHeight = 0;
    TPlace FFrom;
    TPlace FTo;
    bool FPans = false;
    // Bands of rows, each with the still pixels opaque and the rest transparent.
    struct TStill {
        int X = 0, Y = 0;
        QImage Pixels;
    };
    std::vector<TStill> FStills;
};
