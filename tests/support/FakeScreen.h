#pragma once

#include "toolkit/Screen.h"

// A screen of the size the test chooses, at the desktop's origin, one device pixel per logical
// one.
class TFakeScreen : public TScreen {
public:
    TFakeScreen(int width, int height) : FWidth(width), FHeight(height) {}
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    TRect Geometry() const override { return {0, 0, FWidth, FHeight}; }

private:
    int FWidth;
    int FHeight;
};
