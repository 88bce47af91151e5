#include "toolkit/Canvas.h"

#include <QImage>
#include <cstring>

#include "toolkit/Bitmap.h"

namespace {

uint32_t ToRgb32(TColor c) {
    return 0xFF000000u | (ColorRed(c) << 16) | (ColorGreen(c) << 8) | ColorBlue(c);
}

}  // namespace

TRect TCanvas::ClipRect() const {
    if (!FImage) {
        return {};
    }
    return {0, 0, FImage->width(), FImage->height()};
}

void TCanvas::FillRect(const TRect& r) {
    TRect c = r.Intersected(ClipRect());
    if (c.IsEmpty()) {
        return;
    }
    const TBitmap* pattern = FBrush.Bitmap;
    if (pattern && (pattern->Width() <= 0 || pattern->Height() <= 0)) {
        pattern = nullptr;
    }
    uint32_t solid = ToRgb32(FBrush.Color);
    for (int y = c.Top; y < c.Bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(FImage->scanLine(y));
        if (!pattern) {
            std::fill(row + c.Left, row + c.Right, solid);
            continue;
        }
        const int pw = pattern->Width();
        const auto* prow =
            reinterpret_cast<const uint32_t*>(pattern->Image().constScanLine(y % pattern->Height()));
        int x = c.Left;
        while (x < c.Right) {
            int px = x % pw;
            int run = std::min(c.Right - x, pw - px);
            std::memcpy(row + x, prow + px, run * sizeof(uint32_t));
            x += run;
        }
    }
    Changed(c);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    QImage* src = source.Image();
    if (!FImage || !src || dest.IsEmpty() || sourceRect.IsEmpty()) {
        return;
    }
    TRect c = dest.Intersected(ClipRect());
    if (c.IsEmpty()) {
        return;
    }
    const int dw = dest.Width(), dh = dest.Height();
    const int sw = sourceRect.Width(), sh = sourceRect.Height();
    for (int y = c.Top; y < c.Bottom; ++y) {
        int sy = sourceRect.Top + static_cast<int>(static_cast<int64_t>(y - dest.Top) * sh / dh);
        auto* row = reinterpret_cast<uint32_t*>(FImage->scanLine(y));
        if (sy < 0 || sy >= src->height()) {
            continue;
        }
        const auto* srow = reinterpret_cast<const uint32_t*>(src->constScanLine(sy));
        if (sw == dw) {
            int sx0 = sourceRect.Left + (c.Left - dest.Left);
            int from = std::max(c.Left, c.Left + (0 - sx0));
            int to = std::min(c.Right, c.Right - (sx0 + c.Width() - src->width()));
            if (from < to) {
                std::memcpy(row + from,
                            srow + sx0 + (from - c.Left),
                            (to - from) * sizeof(uint32_t));
            }
            continue;
        }
        for (int x = c.Left; x < c.Right; ++x) {
            int sx =
                sourceRect.Left + static_cast<int>(static_cast<int64_t>(x - dest.Left) * sw / dw);
            if (sx >= 0 && sx < src->width()) {
                row[x] = srow[sx];
            }
        }
    }
    Changed(c);
}

void TCanvas::Draw(int x, int y, const TBitmap& graphic) {
    TBitmap& g = const_cast<TBitmap&>(graphic);
    CopyRect({x, y, x + g.Width(), y + g.Height()}, g.Canvas(), {0, 0, g.Width(), g.Height()});
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& graphic) {
    TBitmap& g = const_cast<TBitmap&>(graphic);
    CopyRect(r, g.Canvas(), {0, 0, g.Width(), g.Height()});
}
