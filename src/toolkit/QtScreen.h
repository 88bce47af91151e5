#pragma once

#include "toolkit/Screen.h"

// The primary display of the running QGuiApplication; 0 × 0 at (0, 0) without one.
class TQtScreen : public TScreen {
public:
    int Width() const override;
    int Height() const override;
    TRect Geometry() const override;
};
