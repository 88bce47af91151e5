#pragma once

#include <memory>

#include "toolkit/Rect.h"

class TBitmap;

// A decoded picture made ready for a w x h frame away from the user-interface thread.
struct TFittedPicture {
    std::shared_ptr<const TBitmap> Picture;
    // With pan and zoom, the picture at the largest size the movement shows it, when the
    // decoder gave more pixels than the fit keeps: sharper than Picture filtered up.
    std::shared_ptr<const TBitmap> Moving;
    // The blurred background when one is asked for.
    std::shared_ptr<TBitmap> Backdrop;
    // Set when Picture is already scaled to fit the frame at Place.
    bool Fitted = false;
    TRect Place;
};

// Where a gw x gh picture lies when fitted to a w x h frame, keeping its aspect ratio. Throws
// for a height of 0.
TRect FitPicture(int w, int h, int gw, int gh);

// Fits picture (which may be empty) to the frame when fit is set, keeps a larger copy for a pan
// of reach frame pixels (0: none) and makes its blurred background when blur is set. May throw.
TFittedPicture FitForShow(
    std::shared_ptr<const TBitmap> picture, int w, int h, bool fit, bool blur, double reach);
