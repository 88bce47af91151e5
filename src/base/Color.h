#pragma once

#include <cstdint>

// A colour as the window system encodes it: low byte red, then green, then blue.
using TColor = int32_t;

constexpr TColor RGBColor(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColorRed(TColor c) {
    return c & 0xFF;
}
constexpr int ColorGreen(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int ColorBlue(TColor c) {
    return (c >> 16) & 0xFF;
}

constexpr TColor clBlack = 0;
constexpr TColor clWhite = 0xFFFFFF;
