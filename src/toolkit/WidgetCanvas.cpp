#include "toolkit/WidgetCanvas.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <cstring>

#include "toolkit/QtColor.h"

// Marks the changed rectangle of its widget for the next paint: the drawing of one frame, many
// operations at times, reaches the screen in one paint once the event loop runs again.
class TWidgetCanvas::TRepaintingCanvas : public TCanvas {
public:
    TRepaintingCanvas(TWidgetCanvas& widget, QImage* image) : TCanvas(image), FWidget(widget) {}

protected:
    void Changed(const TRect& r) override {
        if (!FWidget.isVisible() || r.IsEmpty()) {
            return;
        }
        // Device pixels to logical ones, rounded outwards so that no changed pixel is missed.
        const double dpr = FWidget.devicePixelRatioF();
        const int left = static_cast<int>(std::floor(r.Left / dpr));
        const int top = static_cast<int>(std::floor(r.Top / dpr));
        const int right = static_cast<int>(std::ceil(r.Right / dpr));
        const int bottom = static_cast<int>(std::ceil(r.Bottom / dpr));
        FWidget.update(left, top, right - left, bottom - top);
    }

private:
    TWidgetCanvas& FWidget;
};

TWidgetCanvas::TWidgetCanvas(QWidget* parent)
    : QWidget(parent), FCanvas(std::make_unique<TRepaintingCanvas>(*this, &FImage)) {
    // The image covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TWidgetCanvas::~TWidgetCanvas() = default;

TCanvas& TWidgetCanvas::Canvas() {
    SyncImageSize();
    return *FCanvas;
}

void TWidgetCanvas::SetBackground(TColor color) {
    FBackground = color;
    if (FImage.isNull()) {
        return;
    }
    FImage.fill(ToQColor(color));
    update();
}

void TWidgetCanvas::SyncImageSize() {
    const double dpr = devicePixelRatioF();
    const QSize device(static_cast<int>(std::lround(width() * dpr)),
                       static_cast<int>(std::lround(height() * dpr)));
    if (FImage.size() == device) {
        return;
    }
    // The image keeps a ratio of 1: text drawn on it must land on the pixels the canvas names.
    QImage image(device, QImage::Format_RGB32);
    image.fill(ToQColor(FBackground));
    const int rows = std::min(image.height(), FImage.height());
    const int bytes = std::min(image.width(), FImage.width()) * 4;
    for (int y = 0; y < rows; ++y) {
        std::memcpy(image.scanLine(y), FImage.constScanLine(y), bytes);
    }
    // The canvas keeps pointing at FImage, which takes the new content in place.
    FImage = image;
}

void TWidgetCanvas::paintEvent(QPaintEvent* event) {
    SyncImageSize();
    QPainter painter(this);
    const QRect r = event->rect();
    const double dpr = devicePixelRatioF();
    const QRectF source(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr);
    painter.drawImage(QRectF(r), FImage, source);
}

void TWidgetCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SyncImageSize();
}
