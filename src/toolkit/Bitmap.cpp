#include "toolkit/Bitmap.h"

#include <cstdlib>
#include <stdexcept>

#include "toolkit/HugePages.h"

namespace {

void ReleaseShare(void* share) {
    delete static_cast<std::shared_ptr<uint32_t[]>*>(share);
}

// Room for at least `pixels` pixels, or null. A frame-sized raster is read and written in
// columns and far-apart rows (strip effects, shrinking copies), each row on another 4 KiB page:
// on 2 MiB pages those accesses stop missing the TLB. The capacity is rounded up to whole huge
// pages so that a later, slightly larger size reuses the buffer.
std::shared_ptr<uint32_t[]> Allocate(size_t& pixels) {
    size_t bytes = pixels * sizeof(uint32_t);
    if (bytes < HugePageSize) {
        return std::shared_ptr<uint32_t[]>(static_cast<uint32_t*>(std::malloc(bytes)), std::free);
    }
    void* p = AllocateHugePages(bytes);
    if (!p) {
        return nullptr;
    }
    pixels = bytes / sizeof(uint32_t);
    return std::shared_ptr<uint32_t[]>(static_cast<uint32_t*>(p), std::free);
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
        size_t capacity = pixels;
        FBuffer = Allocate(capacity);
        if (!FBuffer) {
            throw std::runtime_error("内存不足：无法建立 " + std::to_string(width) + " × " +
                                     std::to_string(height) + " 的位图");
        }
        FCapacity = capacity;
    }
    FImage = QImage(reinterpret_cast<uchar*>(FBuffer.get()),
                    width,
                    height,
                    static_cast<qsizetype>(width) * 4,
                    QImage::Format_RGB32,
                    ReleaseShare,
                    new std::shared_ptr<uint32_t[]>(FBuffer));
}
