#pragma once

#include "toolkit/Screen.h"

// A screen of the size the test chooses.
class TFakeScreen : public TScreen {
public:
    TFakeScreen(int width, int height) : FWidth(width), FHeight(height) {}
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }

private:
    int FWidth;
    int FHeight;
};
