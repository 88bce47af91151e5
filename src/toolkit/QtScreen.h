#pragma once

#include <QPointer>
#include <QScreen>

#include "toolkit/Screen.h"

// A display of the running QGuiApplication: the primary one unless another is given; 0 × 0 at
// (0, 0) without one.
class TQtScreen : public TScreen {
public:
    explicit TQtScreen(QScreen* screen = nullptr) : FScreen(screen) {}

    int Width() const override;
    int Height() const override;
    TRect Geometry() const override;

private:
    QScreen* Display() const;

    QPointer<QScreen> FScreen;
    bool FGiven = FScreen != nullptr;
};
