#pragma once

#include <QImage>
#include <QWidget>

#include "toolkit/Canvas.h"

// A widget that is a canvas: drawing goes into the widget's own image, one image pixel per
// device pixel, and the rectangles the drawing operations changed are painted together at the
// next pass of the event loop, so that the steps of an effect drawn within one display frame
// reach the screen once.
class TWidgetCanvas : public QWidget {
    Q_OBJECT

public:
    explicit TWidgetCanvas(QWidget* parent = nullptr);
    ~TWidgetCanvas() override;

    // The canvas over the widget's image; its clip rectangle is the widget in device pixels.
    TCanvas& Canvas();
    const QImage& Image() const { return FImage; }

    // The colour of image pixels that nothing has drawn yet (after creation or a resize).
    void SetBackground(TColor color);

    // Sizes the image to the widget now, rather than at the next resize event.
    void SyncImageSize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class TRepaintingCanvas;

    QImage FImage;
    TColor FBackground = clBlack;
    std::unique_ptr<TRepaintingCanvas> FCanvas;
};
