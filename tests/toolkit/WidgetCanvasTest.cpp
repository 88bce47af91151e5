#include <QPaintEvent>
#include <QtTest>

#include "toolkit/Bitmap.h"
#include "toolkit/WidgetCanvas.h"

namespace {

// Remembers the rectangles Qt asked it to paint.
class TPaintCounter : public TWidgetCanvas {
public:
    std::vector<QRect> Painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        Painted.push_back(event->rect());
        TWidgetCanvas::paintEvent(event);
    }
};

QRgb Rgb(TColor c) {
    return qRgb(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

}  // namespace

class WidgetCanvasTest : public QObject {
    Q_OBJECT

private slots:
    // What one pass draws is painted once, at the next pass of the event loop, and covers
    // every changed rectangle (in logical pixels, rounded outwards) and nothing far beyond.
    void drawingIsPaintedOncePerPass() {
        TPaintCounter w;
        w.resize(40, 30);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const double dpr = w.devicePixelRatioF();
        QCoreApplication::processEvents();
        w.Painted.clear();
        TCanvas& c = w.Canvas();
        c.Brush().Color = RGBColor(255, 0, 0);
        c.FillRect(Rect(10, 10, 20, 16));
        c.FillRect(Rect(12, 14, 22, 18));
        QCOMPARE(w.Image().pixel(10, 10), qRgb(255, 0, 0));
        QCOMPARE(w.Image().pixel(20, 10), qRgb(0, 0, 0));
        QVERIFY(w.Painted.empty());
        QVERIFY(QTest::qWaitFor([&] { return !w.Painted.empty(); }));
        QCoreApplication::processEvents();
        QCOMPARE(w.Painted.size(), size_t(1));
        const int left = std::floor(10 / dpr), right = std::ceil(22 / dpr);
        const int top = std::floor(10 / dpr), bottom = std::ceil(18 / dpr);
        QCOMPARE(w.Painted[0], QRect(left, top, right - left, bottom - top));
        const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The grab is in device pixels, as the canvas is.
        QCOMPARE(shown.pixel(21, 17), qRgb(255, 0, 0));
    }

    // One canvas pixel per device pixel; what the widget shows is its image.
    void imageMatchesDevicePixels() {
        TWidgetCanvas w;
        w.SetBackground(RGBColor(0, 0, 90));
        w.resize(33, 21);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const double dpr = w.devicePixelRatioF();
        QCOMPARE(w.Image().size(), QSize(std::lround(33 * dpr), std::lround(21 * dpr)));
        QCOMPARE(w.Canvas().ClipRect(), Rect(0, 0, w.Image().width(), w.Image().height()));
        TBitmap dot(1, 1);
        dot.SetPixel(0, 0, RGBColor(0, 255, 0));
        w.Canvas().Draw(5, 7, dot);
        const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), w.Image().size());
        QCOMPARE(shown.pixel(5, 7), qRgb(0, 255, 0));
        QCOMPARE(shown.pixel(6, 7), qRgb(0, 0, 90));
        QCOMPARE(shown.pixel(4, 7), qRgb(0, 0, 90));
    }

    void resizeKeepsWhatWasDrawn() {
        TWidgetCanvas w;
        w.SetBackground(RGBColor(1, 2, 3));
        w.resize(10, 10);
        TCanvas& c = w.Canvas();
        c.Brush().Color = RGBColor(200, 0, 0);
        c.FillRect(c.ClipRect());
        w.resize(20, 5);
        w.SyncImageSize();
        const double dpr = w.devicePixelRatioF();
        QCOMPARE(w.Image().pixel(0, 0), Rgb(RGBColor(200, 0, 0)));
        QCOMPARE(w.Image().pixel(std::lround(10 * dpr) - 1, 0), Rgb(RGBColor(200, 0, 0)));
        QCOMPARE(w.Image().pixel(std::lround(10 * dpr), 0), Rgb(RGBColor(1, 2, 3)));
        QCOMPARE(w.Image().height(), std::lround(5 * dpr));
    }
};

QTEST_MAIN(WidgetCanvasTest)
#include "WidgetCanvasTest.moc"
