#include "toolkit/Backdrop.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "toolkit/Bitmap.h"

namespace {

// The blur runs on a copy an eighth of the screen's size: three box blurs there cost little
// and, filtered up again, look as a wide Gaussian blur of the whole would.
constexpr int Reduction = 8;
constexpr double RadiusOfWidth = 0.03;
constexpr int BoxPasses = 3;
// Out of 256: two thirds of the brightness stays.
constexpr uint32_t Kept = 171;

// One pass of a box blur of the given radius along a line of n pixels, `step` apart, edges
// repeated; `line` is scratch room of n pixels.
void BoxLine(uint32_t* p, int n, int step, int radius, std::vector<uint32_t>& line) {
    for (int i = 0; i < n; ++i) {
        line[i] = p[i * step];
    }
    const int width = 2 * radius + 1;
    uint32_t r = 0, g = 0, b = 0;
    auto add = [&](uint32_t c, int sign) {
        r += sign * ((c >> 16) & 0xFF);
        g += sign * ((c >> 8) & 0xFF);
        b += sign * (c & 0xFF);
    };
    for (int k = -radius; k <= radius; ++k) {
        add(line[std::clamp(k, 0, n - 1)], 1);
    }
    for (int i = 0; i < n; ++i) {
        p[i * step] = 0xFF000000u | (r / width) << 16 | (g / width) << 8 | b / width;
        add(line[std::min(i + radius + 1, n - 1)], 1);
        add(line[std::max(i - radius, 0)], -1);
    }
}

}  // namespace

std::shared_ptr<TBitmap> MakeBackdrop(const TBitmap& picture, int width, int height) {
    if (picture.Width() <= 0 || picture.Height() <= 0 || width <= 0 || height <= 0) {
        return nullptr;
    }
    const int sw = std::max(1, width / Reduction);
    const int sh = std::max(1, height / Reduction);
    QImage small = picture.Image()
                       .scaled(sw, sh, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
    small = small.copy((small.width() - sw) / 2, (small.height() - sh) / 2, sw, sh);

    const int radius =
        std::max(1, static_cast<int>(std::lround(width * RadiusOfWidth / Reduction)));
    std::vector<uint32_t> line(std::max(sw, sh));
    auto* bits = reinterpret_cast<uint32_t*>(small.bits());
    const int stride = static_cast<int>(small.bytesPerLine() / 4);
    for (int pass = 0; pass < BoxPasses; ++pass) {
        for (int y = 0; y < sh; ++y) {
            BoxLine(bits + y * stride, sw, 1, radius, line);
        }
        for (int x = 0; x < sw; ++x) {
            BoxLine(bits + x, sh, stride, radius, line);
        }
    }
    for (int y = 0; y < sh; ++y) {
        uint32_t* row = bits + y * stride;
        for (int x = 0; x < sw; ++x) {
            const uint32_t c = row[x];
            // Red and blue together, then green: each stays within its byte.
            const uint32_t rb = ((c & 0xFF00FFu) * Kept >> 8) & 0xFF00FFu;
            const uint32_t g = ((c & 0xFF00u) * Kept >> 8) & 0xFF00u;
            row[x] = 0xFF000000u | rb | g;
        }
    }

    auto backdrop = std::make_shared<TBitmap>(width, height);
    QPainter painter(&backdrop->Image());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, width, height), small);
    return backdrop;
}
