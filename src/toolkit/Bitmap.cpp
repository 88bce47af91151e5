#include "toolkit/Bitmap.h"

TBitmap::TBitmap(int width, int height)
    : FImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32)
    , FCanvas(std::make_unique<TCanvas>(&FImage)) {
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
    if (width == Width() && height == Height()) {
        return;
    }
    FImage = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
}
