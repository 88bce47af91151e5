#include "toolkit/Canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>

#include "toolkit/Bitmap.h"
#include "toolkit/PixelMix.h"
#include "toolkit/QtColor.h"
#include "toolkit/QtFont.h"

namespace {

uint32_t ToRgb32(TColor c) {
    return 0xFF000000u | (ColorRed(c) << 16) | (ColorGreen(c) << 8) | ColorBlue(c);
}

uint32_t* Row(uchar* bits, qsizetype stride, int y) {
    return reinterpret_cast<uint32_t*>(bits + stride * y);
}

const uint32_t* Row(const uchar* bits, qsizetype stride, int y) {
    return reinterpret_cast<const uint32_t*>(bits + stride * y);
}

// Below this many pixels a drawing is not worth handing half of to another thread.
constexpr int64_t kBandArea = 512 * 512;

// Draws rows [top, bottom) of a large area in two bands at once, the lower one on a thread kept
// for it, and returns when both are drawn; a small area, or one on a machine with a single
// processor, in one band. Filtered drawing of a whole screen costs several milliseconds a
// frame, and a frame is due every sixteen.
void InBands(int top, int bottom, int width, const std::function<void(int, int)>& draw) {
    static const bool twoProcessors = std::thread::hardware_concurrency() >= 2;
    if (bottom <= top) {
        return;
    }
    if (!twoProcessors || bottom - top < 2 || int64_t(bottom - top) * width < kBandArea) {
        draw(top, bottom);
        return;
    }
    // Made once and never destroyed: it may be needed until the process ends.
    static QThreadPool* const pool = [] {
        auto* made = new QThreadPool;
        made->setMaxThreadCount(1);
        made->setExpiryTimeout(-1);
        return made;
    }();
    const int middle = top + (bottom - top) / 2;
    QSemaphore lowerDrawn;
    pool->start([&] {
        draw(middle, bottom);
        lowerDrawn.release();
    });
    draw(top, middle);
    lowerDrawn.acquire();
}

// Narrows the destination span [lo, hi) to the positions d whose source index
// sOrigin + floor((d - dOrigin) * sLen / dLen) lies inside [0, srcSize).
void NarrowToSource(int& lo, int& hi, int dOrigin, int dLen, int sOrigin, int sLen, int srcSize) {
    auto ceilDiv = [](int64_t a, int64_t b) { return (a + b - 1) / b; };
    int64_t kLo = lo - dOrigin;
    int64_t kHi = hi - dOrigin;
    if (sOrigin < 0) {
        kLo = std::max(kLo, ceilDiv(static_cast<int64_t>(-sOrigin) * dLen, sLen));
    }
    const int64_t room = static_cast<int64_t>(srcSize) - sOrigin;
    kHi = room <= 0 ? kLo : std::min(kHi, ceilDiv(room * dLen, sLen));
    lo = static_cast<int>(dOrigin + kLo);
    hi = static_cast<int>(dOrigin + std::max(kLo, kHi));
}

// Copies `rows` rows of `bytes` bytes between two different images. A narrow rectangle takes a
// new cache line (and page) of both images at every row, a pattern the hardware prefetcher
// does not follow far enough: fetching a few rows ahead keeps the copies from queueing on
// memory one after another.
void CopyRows(
    uchar* d, qsizetype dstride, const uchar* s, qsizetype sstride, size_t bytes, int rows) {
    constexpr int Ahead = 8;
    constexpr size_t Line = 64;
    // A wide row starts a stream the hardware follows; a narrow one is fetched whole.
    const size_t fetched = bytes <= 8 * Line ? bytes : 1;
    for (int i = 0; i < rows; ++i) {
        if (i + Ahead < rows) {
            const uchar* ps = s + (i + Ahead) * sstride;
            const uchar* pd = d + (i + Ahead) * dstride;
            for (size_t o = 0; o < fetched; o += Line) {
                __builtin_prefetch(ps + o);
                __builtin_prefetch(pd + o, 1);
            }
            __builtin_prefetch(ps + fetched - 1);
            __builtin_prefetch(pd + fetched - 1, 1);
        }
        std::memcpy(d + i * dstride, s + i * sstride, bytes);
    }
}

// drow[i] = srow[cols[i]]. A shrinking copy reads rows far apart in a large source; fetching
// the next one ahead keeps the loop from waiting on memory at every row.
void GatherRow(uint32_t* drow, const uint32_t* srow, const uint32_t* next, const int* cols, int n) {
    constexpr int Block = 16;
    int i = 0;
    if (next) {
        for (; i + Block <= n; i += Block) {
            __builtin_prefetch(next + cols[i]);
            __builtin_prefetch(next + cols[i + Block / 2]);
            for (int k = i; k < i + Block; ++k) {
                drow[k] = srow[cols[k]];
            }
        }
    }
    for (; i < n; ++i) {
        drow[i] = srow[cols[i]];
    }
}

}  // namespace

TRect TCanvas::ClipRect() const {
    if (!FImage) {
        return {};
    }
    return {0, 0, FImage->width(), FImage->height()};
}

bool TCanvas::Drawable() const {
    return FImage && !FImage->isNull() && FImage->depth() == 32;
}

void TCanvas::FillRect(const TRect& r) {
    TRect c = r.Intersected(ClipRect());
    if (!Drawable() || c.IsEmpty()) {
        return;
    }
    uchar* bits = FImage->bits();
    const qsizetype stride = FImage->bytesPerLine();
    const QImage* pattern = FBrush.Bitmap ? &FBrush.Bitmap->Image() : nullptr;
    if (pattern && (pattern->isNull() || pattern->depth() != 32)) {
        pattern = nullptr;
    }
    if (!pattern) {
        const uint32_t solid = ToRgb32(FBrush.Color);
        for (int y = c.Top; y < c.Bottom; ++y) {
            std::fill_n(Row(bits, stride, y) + c.Left, c.Width(), solid);
        }
        Changed(c);
        return;
    }
    const int pw = pattern->width();
    const int ph = pattern->height();
    const uchar* pbits = pattern->constBits();
    const qsizetype pstride = pattern->bytesPerLine();
    const int px0 = c.Left % pw;
    int py = c.Top % ph;
    if (px0 + c.Width() <= pw && pbits != bits) {
        // One pattern row spans each target row: straight row copies, split where the pattern
        // starts over from its top.
        const size_t bytes = static_cast<size_t>(c.Width()) * sizeof(uint32_t);
        for (int y = c.Top; y < c.Bottom;) {
            const int rows = std::min(c.Bottom - y, ph - py);
            CopyRows(bits + y * stride + c.Left * sizeof(uint32_t),
                     stride,
                     pbits + py * pstride + px0 * sizeof(uint32_t),
                     pstride,
                     bytes,
                     rows);
            y += rows;
            py = 0;
        }
        Changed(c);
        return;
    }
    for (int y = c.Top; y < c.Bottom; ++y) {
        uint32_t* row = Row(bits, stride, y);
        const uint32_t* prow = Row(pbits, pstride, py);
        int x = c.Left;
        int px = px0;
        while (x < c.Right) {
            const int run = std::min(c.Right - x, pw - px);
            // The pattern may be this canvas's own bitmap.
            std::memmove(row + x, prow + px, run * sizeof(uint32_t));
            x += run;
            px = 0;
        }
        if (++py == ph) {
            py = 0;
        }
    }
    Changed(c);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    if (!source.Image()) {
        return;
    }
    TRect changed = Blit(dest, *source.Image(), sourceRect);
    if (!changed.IsEmpty()) {
        Changed(changed);
    }
}

void TCanvas::Draw(int x, int y, const TBitmap& graphic) {
    TRect changed = Blit({x, y, x + graphic.Width(), y + graphic.Height()},
                         graphic.Image(),
                         {0, 0, graphic.Width(), graphic.Height()});
    if (!changed.IsEmpty()) {
        Changed(changed);
    }
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& graphic) {
    const int dw = r.Width(), dh = r.Height(), sw = graphic.Width(), sh = graphic.Height();
    TRect changed;
    if (Drawable() && dw > 0 && dh > 0 && dw <= sw && dh <= sh && (dw < sw || dh < sh)) {
        // Shrinking averages the source pixels that each destination pixel covers: dropping
        // them makes fine detail shimmer and small text unreadable. Enlarging repeats pixels.
        const QImage smaller =
            graphic.Image().scaled(dw, dh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        changed = Blit(r, smaller, {0, 0, dw, dh});
    } else {
        changed = Blit(r, graphic.Image(), {0, 0, sw, sh});
    }
    if (!changed.IsEmpty()) {
        Changed(changed);
    }
}

void TCanvas::DrawSmooth(
    double x, double y, double w, double h, const TBitmap& graphic, double opacity) {
    if (!Drawable() || graphic.Image().isNull() || !(w > 0) || !(h > 0) || !(opacity > 0)) {
        return;
    }
    const QImage& source = graphic.Image();
    uchar* bits = FImage->bits();
    const qsizetype stride = FImage->bytesPerLine();
    const int width = FImage->width();
    const QImage::Format format = FImage->format();
    const int top = std::clamp(static_cast<int>(std::floor(y)), 0, FImage->height());
    const int bottom = std::clamp(static_cast<int>(std::ceil(y + h)), top, FImage->height());
    InBands(top, bottom, width, [&](int from, int to) {
        QImage band(bits + from * stride, width, to - from, stride, format);
        QPainter painter(&band);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(std::min(opacity, 1.0));
        painter.drawImage(QRectF(x, y - from, w, h), source);
    });
    const TRect changed = TRect{static_cast<int>(std::floor(x)),
                                static_cast<int>(std::floor(y)),
                                static_cast<int>(std::ceil(x + w)),
                                static_cast<int>(std::ceil(y + h))}
                              .Intersected(ClipRect());
    if (!changed.IsEmpty()) {
        Changed(changed);
    }
}

void TCanvas::DrawMixed(const TRect& r, const TBitmap& from, const TBitmap& to, double amount) {
    const QImage& a = from.Image();
    const QImage& b = to.Image();
    if (!Drawable() || a.depth() != 32 || b.depth() != 32) {
        return;
    }
    const TRect c = r.Intersected(ClipRect())
                        .Intersected({0, 0, a.width(), a.height()})
                        .Intersected({0, 0, b.width(), b.height()});
    if (c.IsEmpty()) {
        return;
    }
    const auto weight = static_cast<uint32_t>(std::lround(std::clamp(amount, 0.0, 1.0) * 256));
    // bits() first: it may detach this image from a copy that a graphic shares.
    uchar* out = FImage->bits();
    const qsizetype stride = FImage->bytesPerLine();
    InBands(c.Top, c.Bottom, c.Width(), [&](int from, int to) {
        for (int y = from; y < to; ++y) {
            MixPixels(Row(a.constBits(), a.bytesPerLine(), y) + c.Left,
                      Row(b.constBits(), b.bytesPerLine(), y) + c.Left,
                      Row(out, stride, y) + c.Left,
                      static_cast<size_t>(c.Width()),
                      weight);
        }
    });
    Changed(c);
}

void TCanvas::DrawOver(int x, int y, const QImage& overlay) {
    if (!Drawable() || overlay.isNull()) {
        return;
    }
    {
        QPainter painter(FImage);
        painter.drawImage(x, y, overlay);
    }
    const TRect changed =
        TRect{x, y, x + overlay.width(), y + overlay.height()}.Intersected(ClipRect());
    if (!changed.IsEmpty()) {
        Changed(changed);
    }
}

TRect TCanvas::Blit(const TRect& dest, const QImage& srcImage, const TRect& sourceRect) {
    if (!Drawable() || srcImage.isNull() || srcImage.depth() != 32 || dest.IsEmpty() ||
        sourceRect.IsEmpty()) {
        return {};
    }
    TRect c = dest.Intersected(ClipRect());
    const int dw = dest.Width(), dh = dest.Height();
    const int sw = sourceRect.Width(), sh = sourceRect.Height();
    NarrowToSource(c.Left, c.Right, dest.Left, dw, sourceRect.Left, sw, srcImage.width());
    NarrowToSource(c.Top, c.Bottom, dest.Top, dh, sourceRect.Top, sh, srcImage.height());
    if (c.IsEmpty()) {
        return {};
    }
    // bits() first: it may detach this image from a copy that the source shares.
    uchar* dbits = FImage->bits();
    const qsizetype dstride = FImage->bytesPerLine();
    const bool sameBuffer = srcImage.constBits() == dbits;
    if (sw == dw && sh == dh) {
        const int ox = sourceRect.Left - dest.Left;
        const int oy = sourceRect.Top - dest.Top;
        const uchar* sbits = srcImage.constBits();
        const qsizetype sstride = srcImage.bytesPerLine();
        const size_t bytes = static_cast<size_t>(c.Width()) * sizeof(uint32_t);
        if (!sameBuffer) {
            CopyRows(dbits + c.Top * dstride + c.Left * sizeof(uint32_t),
                     dstride,
                     sbits + (c.Top + oy) * sstride + (c.Left + ox) * sizeof(uint32_t),
                     sstride,
                     bytes,
                     c.Height());
            return c;
        }
        // Copying within one image upwards or downwards must not read rows it already wrote.
        const bool upwards = sameBuffer && oy < 0;
        for (int i = 0; i < c.Height(); ++i) {
            const int y = upwards ? c.Bottom - 1 - i : c.Top + i;
            std::memmove(
                Row(dbits, dstride, y) + c.Left, Row(sbits, sstride, y + oy) + c.Left + ox, bytes);
        }
        return c;
    }
    QImage aliasCopy;
    if (sameBuffer) {
        aliasCopy = srcImage.copy();
    }
    const QImage& src = sameBuffer ? aliasCopy : srcImage;
    const uchar* sbits = src.constBits();
    const qsizetype sstride = src.bytesPerLine();

    const int n = c.Width();
    if (FColumns.size() < static_cast<size_t>(n)) {
        FColumns.resize(n);
    }
    int* cols = FColumns.data();
    {
        const int64_t k0 = static_cast<int64_t>(c.Left - dest.Left) * sw;
        int sx = sourceRect.Left + static_cast<int>(k0 / dw);
        int rem = static_cast<int>(k0 % dw);
        const int step = sw / dw, remStep = sw % dw;
        for (int i = 0; i < n; ++i) {
            cols[i] = sx;
            sx += step;
            rem += remStep;
            if (rem >= dw) {
                rem -= dw;
                ++sx;
            }
        }
    }
    const bool sameColumns = sw == dw;
    auto sourceRow = [&](int y) {
        return sourceRect.Top + static_cast<int>(static_cast<int64_t>(y - dest.Top) * sh / dh);
    };
    int prevSy = -1;
    uint32_t* prevRow = nullptr;
    int sy = sourceRow(c.Top);
    for (int y = c.Top; y < c.Bottom; ++y) {
        const int nextSy = y + 1 < c.Bottom ? sourceRow(y + 1) : sy;
        uint32_t* drow = Row(dbits, dstride, y) + c.Left;
        if (sy == prevSy) {
            std::memcpy(drow, prevRow, n * sizeof(uint32_t));
        } else if (sameColumns) {
            std::memcpy(drow, Row(sbits, sstride, sy) + cols[0], n * sizeof(uint32_t));
        } else {
            GatherRow(drow,
                      Row(sbits, sstride, sy),
                      nextSy != sy ? Row(sbits, sstride, nextSy) : nullptr,
                      cols,
                      n);
        }
        prevSy = sy;
        prevRow = drow;
        sy = nextSy;
    }
    return c;
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (!Drawable()) {
        return;
    }
    const QFont font = ToQFont(FFont);
    const QFontMetrics metrics(font);
    const QString s = QString::fromStdString(text);
    const TRect cell{x, y, x + metrics.horizontalAdvance(s), y + metrics.height()};
    const TRect clip = ClipRect();
    if (!FBrush.Bitmap) {
        const TRect c = cell.Intersected(clip);
        if (!c.IsEmpty()) {
            const uint32_t solid = ToRgb32(FBrush.Color);
            uchar* bits = FImage->bits();
            for (int row = c.Top; row < c.Bottom; ++row) {
                std::fill_n(Row(bits, FImage->bytesPerLine(), row) + c.Left, c.Width(), solid);
            }
        }
    }
    const int baseline = y + metrics.ascent();
    {
        QPainter painter(FImage);
        painter.setFont(font);
        painter.setPen(ToQColor(FFont.Color));
        painter.drawText(QPoint(x, baseline), s);
    }
    // Glyphs (italic ones, say) may reach past the cell.
    const QRect ink = metrics.boundingRect(s).translated(x, baseline);
    const TRect inkRect{ink.left(), ink.top(), ink.right() + 1, ink.bottom() + 1};
    const TRect changed = TRect{std::min(cell.Left, inkRect.Left),
                                std::min(cell.Top, inkRect.Top),
                                std::max(cell.Right, inkRect.Right),
                                std::max(cell.Bottom, inkRect.Bottom)}
                              .Intersected(clip);
    if (!changed.IsEmpty()) {
        Changed(changed);
    }
}

int TCanvas::TextWidth(const std::string& text) {
    return QFontMetrics(ToQFont(FFont)).horizontalAdvance(QString::fromStdString(text));
}

int TCanvas::TextHeight(const std::string& text) {
    (void)text;
    return QFontMetrics(ToQFont(FFont)).height();
}
