#pragma once

#include "toolkit/Rect.h"

// The display a show goes on.
class TScreen {
public:
    virtual ~TScreen() = default;
    // Its size in device pixels, the size a show composes its frames at.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Its place on the desktop in the window system's (logical) coordinates, where a
    // full-screen window is put.
    virtual TRect Geometry() const = 0;
};
