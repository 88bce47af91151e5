#pragma once

#include <QImage>
#include <functional>
#include <vector>

#include "toolkit/Bitmap.h"
#include "toolkit/Canvas.h"

// One fill or copy as a recording canvas saw it.
struct TDrawCall {
    bool Copy = false;
    TRect Rect;
    TRect SourceRect;
    // The fill's pattern bitmap (null for a solid fill) or the copy's source canvas.
    const TBitmap* Pattern = nullptr;
    const TCanvas* Source = nullptr;
};

// A canvas that records every fill and copy and every rectangle reported as changed. Made with a
// size it draws into its own black image; made without one it draws nothing. AfterCall runs
// after each recorded call with the number of calls so far, so that a test can cancel or fail
// the caller part way.
class TRecordingCanvas : public TCanvas {
public:
    TRecordingCanvas() = default;
    TRecordingCanvas(int w, int h) : FPixels(w, h, QImage::Format_RGB32) {
        FPixels.fill(0xFF000000u);
        SetImage(&FPixels);
    }

    void FillRect(const TRect& r) override {
        TCanvas::FillRect(r);
        Record({false, r, {}, Brush().Bitmap, nullptr});
    }
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) override {
        TCanvas::CopyRect(dest, source, sourceRect);
        Record({true, dest, sourceRect, nullptr, &source});
    }

    TColor Pixel(int x, int y) const {
        const QRgb p = FPixels.pixel(x, y);
        return RGBColor(qRed(p), qGreen(p), qBlue(p));
    }

    std::vector<TDrawCall> Calls;
    std::vector<TRect> ChangedRects;
    std::function<void(size_t calls)> AfterCall;

protected:
    void Changed(const TRect& r) override { ChangedRects.push_back(r); }

private:
    void Record(const TDrawCall& call) {
        Calls.push_back(call);
        if (AfterCall) {
            AfterCall(Calls.size());
        }
    }

    QImage FPixels;
};
