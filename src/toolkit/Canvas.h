#pragma once

#include <string>
#include <vector>

#include "base/Color.h"
#include "base/Font.h"
#include "toolkit/Rect.h"

class QImage;
class TBitmap;

// The fill brush: a solid colour, or a pattern bitmap tiled from the canvas origin.
struct TBrush {
    TColor Color = clWhite;
    const TBitmap* Bitmap = nullptr;

    // Back to the default: solid white, no pattern.
    void Reset() { *this = TBrush{}; }
};

// A drawing target: a bitmap, a preview panel or the full-screen window. Draws into an RGB32
// image; a canvas without an image draws nothing. Every drawing operation is virtual so that
// a window can show what was drawn and a test can record it.
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(QImage* image) : FImage(image) {}
    virtual ~TCanvas() = default;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBrush& Brush() { return FBrush; }
    TFont& Font() { return FFont; }
    // (0, 0, width, height) of the surface.
    TRect ClipRect() const;

    // Fills r (clipped) with the brush colour, or with the brush pattern.
    virtual void FillRect(const TRect& r);
    // Copies sourceRect of source into dest, scaling by nearest pixel when the sizes differ:
    // destination column i takes source column sourceRect.Left + i * sw / dw (rows alike).
    // Pixels whose source lies outside the source image stay as they were.
    virtual void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    // Draws a graphic unscaled with its top-left corner at (x, y).
    virtual void Draw(int x, int y, const TBitmap& graphic);
    // Scales a graphic to fill r exactly: shrinking averages the pixels each destination pixel
    // covers, enlarging (in either direction) repeats pixels.
    virtual void StretchDraw(const TRect& r, const TBitmap& graphic);
    // Draws a graphic scaled into the rectangle at (x, y) of w x h pixels, all of them in
    // fractions of a pixel, filtering between source pixels so that it moves and grows
    // smoothly; opacity 1 covers what the canvas shows, less mixes the graphic into it.
    virtual void DrawSmooth(
        double x, double y, double w, double h, const TBitmap& graphic, double opacity = 1);
    // Writes into r (clipped to the canvas and to both graphics) the mix of the same rectangle
    // of two graphics: amount 0 shows `from`, 1 shows `to` exactly, between them each colour in
    // proportion. One pass over the pixels, so that a crossfade costs no more than a copy.
    virtual void DrawMixed(const TRect& r, const TBitmap& from, const TBitmap& to, double amount);
    // Draws an image that has an alpha channel with its top-left corner at (x, y): its opaque
    // pixels cover the canvas, its transparent ones leave it as it is.
    virtual void DrawOver(int x, int y, const QImage& overlay);
    // Writes UTF-8 text with its top-left corner at (x, y); with a solid brush the text cell
    // (text width x font height) is filled with the brush colour first. Text needs a
    // QGuiApplication.
    virtual void TextOut(int x, int y, const std::string& text);
    virtual int TextWidth(const std::string& text);
    // The font's line height, whatever the text holds.
    virtual int TextHeight(const std::string& text);

    QImage* Image() const { return FImage; }

protected:
    // Called after each drawing operation with the rectangle it may have changed (clipped).
    virtual void Changed(const TRect& r) { (void)r; }
    void SetImage(QImage* image) { FImage = image; }

private:
    // Copies sourceRect of src into dest by nearest pixel; answers the rectangle it changed.
    TRect Blit(const TRect& dest, const QImage& src, const TRect& sourceRect);
    bool Drawable() const;

    QImage* FImage = nullptr;
    TBrush FBrush;
    TFont FFont;
    // Source column of each changed column of a scaled copy, kept to save an allocation a call.
    std::vector<int> FColumns;
};
