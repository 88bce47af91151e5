#include "toolkit/Bitmap.h"

#include <new>
#include <stdexcept>

namespace {

void ReleaseShare(void* share) {
    delete static_cast<std::shared_ptr<uint32_t[]>*>(share);
}

}  // namespace

TBitmap::TBitmap(int width, int height) : FCanvas(std::make_unique<TCanvas>(&FImage)) {
    SetSize(width, height);
    FImage.fill(Qt::white);
}

TColor TBitmap::Pixels(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) {
        return -1;
    }
    QRgb p = reinterpret_cast<const QRgb*>(FImage.constScanLine(y))[x];
    return RGBColor(qRed(p), qGreen(p), qBlue(p));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) {
        return;
    }
    reinterpret_cast<QRgb*>(FImage.scanLine(y))[x] =
        qRgb(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == Width() && height == Height() && !FImage.isNull()) {
        return;
    }
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (pixels == 0) {
        FImage = QImage();
        return;
    }
    FImage = QImage();
    // A copy of the old image still held elsewhere keeps the old buffer to itself.
    if (pixels > FCapacity || FBuffer.use_count() > 1) {
        FBuffer.reset();
        FCapacity = 0;
        FBuffer.reset(new (std::nothrow) uint32_t[pixels]);
        if (!FBuffer) {
            throw std::runtime_error("内存不足：无法建立 " + std::to_string(width) + " × " +
                                     std::to_string(height) + " 的位图");
        }
        FCapacity = pixels;
    }
    FImage = QImage(reinterpret_cast<uchar*>(FBuffer.get()),
                    width,
                    height,
                    static_cast<qsizetype>(width) * 4,
                    QImage::Format_RGB32,
                    ReleaseShare,
                    new std::shared_ptr<uint32_t[]>(FBuffer));
}
