#pragma once

#include <QImage>
#include <memory>

#include "toolkit/Canvas.h"
#include "toolkit/DateTaken.h"

// An off-screen RGB raster with its own canvas; also a graphic that canvases can draw.
class TBitmap {
public:
    TBitmap(int width, int height);
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    TColor Pixels(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    TCanvas& Canvas() { return *FCanvas; }

    // Changes the size; the content is undefined afterwards. Keeps the buffer when it fits.
    // Throws std::runtime_error when the memory cannot be had.
    void SetSize(int width, int height);

    QImage& Image() { return FImage; }
    const QImage& Image() const { return FImage; }

    // The day the photo these pixels came from was taken, where a picture loader found it; it
    // travels with the pixels to whoever draws them.
    TDateTaken TakenOn;

private:
    // The pixels live in FBuffer so that a smaller size reuses it; FImage views it, and every
    // copy of FImage holds a share of it, so a copy never outlives its pixels.
    std::shared_ptr<uint32_t[]> FBuffer;
    size_t FCapacity = 0;
    QImage FImage;
    std::unique_ptr<TCanvas> FCanvas;
};
