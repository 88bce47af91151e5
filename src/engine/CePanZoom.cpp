#include "engine/CePanZoom.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/Bitmap.h"
#include "toolkit/Canvas.h"

namespace {

// The scale changes by a tenth over the interval.
constexpr double ZoomBy = 0.1;
// A picture whose shape differs from the target's by this factor or more pans instead.
constexpr double FarShape = 1.5;
// How much larger than at rest a panning picture is shown, at most.
constexpr double PanScale = 1.5;

TCePanZoom::TPlace Scaled(const TCePanZoom::TPlace& rest, double s, double dx, double dy) {
    // One edge (or corner) stays where it is at rest, so that a picture that covered the
    // target still covers it while it grows away from that edge.
    const double w = rest.W * s;
    const double h = rest.H * s;
    const double cx = rest.X + rest.W / 2 + dx * (w - rest.W) / 2;
    const double cy = rest.Y + rest.H / 2 + dy * (h - rest.H) / 2;
    return {cx - w / 2, cy - h / 2, w, h};
}

}  // namespace

TCePanZoom::TWay TCePanZoom::WayOf(const TPlace& rest, int width, int height, double panReach) {
    if (!(rest.W > 0) || !(rest.H > 0) || width <= 0 || height <= 0) {
        return {};
    }
    const double sa = static_cast<double>(width) / height;
    const double pa = rest.W / rest.H;
    const double shape = std::max(sa / pa, pa / sa);
    const bool tall = pa < sa;
    const double length = tall ? rest.H : rest.W;
    const double room = tall ? height : width;
    // Large enough to fill more of the target, not so large that the way along the long side
    // (the part of it beyond the target) exceeds the reach.
    const double scale =
        std::max(1.0, std::min({shape, PanScale, (room + std::max(panReach, 0.0)) / length}));
    if (shape >= FarShape && length * scale > room + 1) {
        return {true, scale};
    }
    return {false, 1 + ZoomBy};
}

TCePanZoom::TCePanZoom() = default;
TCePanZoom::~TCePanZoom() = default;

void TCePanZoom::Begin(std::shared_ptr<const TBitmap> picture,
                       const TPlace& rest,
                       std::shared_ptr<TBitmap> background,
                       int width,
                       int height,
                       double panReach,
                       std::mt19937& random) {
    End();
    if (!picture || !(rest.W > 0) || !(rest.H > 0) || width <= 0 || height <= 0) {
        return;
    }
    FPicture = std::move(picture);
    FBackground = std::move(background);
    FWidth = width;
    FHeight = height;

    const TWay way = WayOf(rest, width, height, panReach);
    const bool tall = rest.W / rest.H < static_cast<double>(width) / height;
    const double scale = way.Scale;
    // Two draws whatever the case, so that each picture takes the same share of the generator.
    const unsigned a = random();
    const unsigned b = random();
    FPans = way.Pans;
    if (FPans) {
        // From one end of the long side to the other; the short side stays centred.
        const double w = rest.W * scale;
        const double h = rest.H * scale;
        TPlace start{rest.X + (rest.W - w) / 2, rest.Y + (rest.H - h) / 2, w, h};
        TPlace end = start;
        if (tall) {
            start.Y = 0;
            end.Y = height - h;
        } else {
            start.X = 0;
            end.X = width - w;
        }
        const bool backwards = a % 2 != 0;
        FFrom = backwards ? end : start;
        FTo = backwards ? start : end;
        return;
    }
    // Eight directions: the sides and the corners.
    static constexpr int Directions[8][2] = {
        {-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    const int* d = Directions[a % 8];
    const bool in = b % 2 == 0;
    const TPlace small = Scaled(rest, 1, d[0], d[1]);
    const TPlace large = Scaled(rest, 1 + ZoomBy, d[0], d[1]);
    FFrom = in ? small : large;
    FTo = in ? large : small;
}

void TCePanZoom::AddStills(const TBitmap& bare, const TBitmap& composed, const TBitmap& still) {
    const int fw = bare.Width(), fh = bare.Height();
    const int tw = still.Width(), th = still.Height();
    if (composed.Width() != fw || composed.Height() != fh || fw <= 0 || fh <= 0 || tw <= 0 ||
        th <= 0) {
        return;
    }
    const QImage& a = bare.Image();
    const QImage& b = composed.Image();
    auto differs = [&](int x, int y) {
        return reinterpret_cast<const uint32_t*>(a.constScanLine(y))[x] !=
               reinterpret_cast<const uint32_t*>(b.constScanLine(y))[x];
    };
    std::vector<bool> rowDiffers(fh);
    for (int y = 0; y < fh; ++y) {
        rowDiffers[y] = std::memcmp(a.constScanLine(y), b.constScanLine(y), fw * 4) != 0;
    }
    // Target pixel (tx, ty) shows frame pixel (tx * fw / tw, ty * fh / th), as the stretch of
    // the frame to the target put it there.
    auto frameRow = [&](int ty) { return static_cast<int>(int64_t{ty} * fh / th); };
    auto frameColumn = [&](int tx) { return static_cast<int>(int64_t{tx} * fw / tw); };
    for (int ty = 0; ty < th;) {
        if (!rowDiffers[frameRow(ty)]) {
            ++ty;
            continue;
        }
        const int top = ty;
        int first = fw, last = -1;
        for (; ty < th && rowDiffers[frameRow(ty)]; ++ty) {
            const int y = frameRow(ty);
            for (int x = 0; x < fw; ++x) {
                if (differs(x, y)) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
        const int left = static_cast<int>(int64_t{first} * tw / fw);
        const int right = std::min(tw, static_cast<int>((int64_t{last} + 1) * tw / fw) + 1);
        TStill band{left, top, QImage(right - left, ty - top, QImage::Format_ARGB32_Premultiplied)};
        band.Pixels.fill(Qt::transparent);
        for (int y = top; y < ty; ++y) {
            const auto* from = reinterpret_cast<const uint32_t*>(still.Image().constScanLine(y));
            auto* to = reinterpret_cast<uint32_t*>(band.Pixels.scanLine(y - top));
            for (int x = left; x < right; ++x) {
                const int sx = frameColumn(x);
                if (sx < fw && differs(sx, frameRow(y))) {
                    to[x - left] = from[x] | 0xFF000000u;
                }
            }
        }
        FStills.push_back(std::move(band));
    }
}

void TCePanZoom::End() {
    FPicture.reset();
    FBackground.reset();
    FStills.clear();
}

TCePanZoom::TPlace TCePanZoom::PlaceAt(double t) const {
    t = std::clamp(t, 0.0, 1.0);
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return {mix(FFrom.X, FTo.X), mix(FFrom.Y, FTo.Y), mix(FFrom.W, FTo.W), mix(FFrom.H, FTo.H)};
}

double TCePanZoom::Travel() const {
    const double left = std::abs(FTo.X - FFrom.X);
    const double top = std::abs(FTo.Y - FFrom.Y);
    const double right = std::abs(FTo.X + FTo.W - FFrom.X - FFrom.W);
    const double bottom = std::abs(FTo.Y + FTo.H - FFrom.Y - FFrom.H);
    return std::hypot(std::max(left, right), std::max(top, bottom));
}

void TCePanZoom::Draw(TCanvas& target, double t) const {
    if (!FPicture) {
        return;
    }
    const TPlace p = PlaceAt(t);
    // Pixels wholly inside the picture need no background; the rest, edge pixels included,
    // get it fresh before the picture is drawn over them.
    const TRect all{0, 0, FWidth, FHeight};
    const TRect inner = TRect{static_cast<int>(std::ceil(p.X)),
                              static_cast<int>(std::ceil(p.Y)),
                              static_cast<int>(std::floor(p.X + p.W)),
                              static_cast<int>(std::floor(p.Y + p.H))}
                            .Intersected(all);
    if (FBackground) {
        TCanvas& back = FBackground->Canvas();
        auto band = [&](const TRect& r) {
            if (!r.IsEmpty()) {
                target.CopyRect(r, back, r);
            }
        };
        if (inner.IsEmpty()) {
            band(all);
        } else {
            band({0, 0, FWidth, inner.Top});
            band({0, inner.Bottom, FWidth, FHeight});
            band({0, inner.Top, inner.Left, inner.Bottom});
            band({inner.Right, inner.Top, FWidth, inner.Bottom});
        }
    }
    target.DrawSmooth(p.X, p.Y, p.W, p.H, *FPicture);
    for (const TStill& still : FStills) {
        target.DrawOver(still.X, still.Y, still.Pixels);
    }
}
