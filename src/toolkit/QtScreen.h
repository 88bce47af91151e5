#pragma once

#include "toolkit/Screen.h"

// The primary display of the running QGuiApplication, in device pixels; 0 × 0 without one.
class TQtScreen : public TScreen {
public:
    int Width() const override;
    int Height() const override;
};
