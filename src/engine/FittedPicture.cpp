#include "engine/FittedPicture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "engine/CePanZoom.h"
#include "toolkit/Backdrop.h"
#include "toolkit/Bitmap.h"
#include "toolkit/FitRect.h"

TRect FitPicture(int w, int h, int gw, int gh) {
    if (gh == 0 || h == 0) {
        throw std::runtime_error("picture of height 0");
    }
    return FitRect(w, h, gw, gh);
}

TFittedPicture FitForShow(
    std::shared_ptr<const TBitmap> picture, int w, int h, bool fit, bool blur, double reach) {
    TFittedPicture result;
    const TRect place =
        picture && fit ? FitPicture(w, h, picture->Width(), picture->Height()) : TRect{};
    if (!place.IsEmpty()) {
        auto fitted = std::make_shared<TBitmap>(place.Width(), place.Height());
        fitted->Canvas().StretchDraw(fitted->Canvas().ClipRect(), *picture);
        fitted->TakenOn = picture->TakenOn;
        result.Place = place;
        result.Fitted = true;
        const double scale = reach > 0 ? TCePanZoom::WayOf({0,
                                                            0,
                                                            static_cast<double>(place.Width()),
                                                            static_cast<double>(place.Height())},
                                                           w,
                                                           h,
                                                           reach)
                                             .Scale
                                       : 1;
        if (scale > 1 && picture->Width() > place.Width()) {
            const int mw =
                std::min(picture->Width(), static_cast<int>(std::ceil(place.Width() * scale)));
            const int mh = std::max(1, mw * place.Height() / place.Width());
            auto moving = std::make_shared<TBitmap>(mw, mh);
            moving->Canvas().StretchDraw(moving->Canvas().ClipRect(), *picture);
            result.Moving = std::move(moving);
        }
        picture = std::move(fitted);
    }
    if (blur && picture) {
        result.Backdrop = MakeBackdrop(*picture, w, h);
    }
    result.Picture = std::move(picture);
    return result;
}
