#pragma once

// The size of the primary display in pixels.
class TScreen {
public:
    virtual ~TScreen() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};
