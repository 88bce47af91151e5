#pragma once

#include <QPointer>
#include <QScreen>

#include "toolkit/Screen.h"

// One display of the running QGuiApplication (the primary one unless told), 0 × 0 at (0, 0)
// without one or once that display is gone.
class TQtScreen : public TScreen {
public:
    explicit TQtScreen(QScreen* screen = nullptr) : FScreen(screen), FPrimary(screen == nullptr) {}
    int Width() const override;
    int Height() const override;
    TRect Geometry() const override;
    // The display it stands for; null once that display is gone.
    QScreen* Display() const;

private:
    QPointer<QScreen> FScreen;
    bool FPrimary;
};
