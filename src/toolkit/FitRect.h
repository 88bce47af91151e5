#pragma once

#include <cmath>

#include "toolkit/Rect.h"

// Where a width x height picture lies when fitted into an areaWidth x areaHeight area keeping
// its shape, centred: the area's height when the picture is relatively taller, else its width,
// the other side rounded to the nearest pixel (ties to even). Empty when a side is not positive.
inline TRect FitRect(int areaWidth, int areaHeight, int width, int height) {
    if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0) {
        return {};
    }
    const double area = static_cast<double>(areaWidth) / areaHeight;
    const double picture = static_cast<double>(width) / height;
    if (area >= picture) {
        const int w = static_cast<int>(std::nearbyint(areaHeight * picture));
        const int x = (areaWidth - w) / 2;
        return Rect(x, 0, x + w, areaHeight);
    }
    const int h = static_cast<int>(std::nearbyint(areaWidth / picture));
    const int y = (areaHeight - h) / 2;
    return Rect(0, y, areaWidth, y + h);
}
