#pragma once

#include <algorithm>

// A half-open rectangle: columns Left .. Right - 1, rows Top .. Bottom - 1.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    TRect Intersected(const TRect& o) const {
        return {std::max(Left, o.Left),
                std::max(Top, o.Top),
                std::min(Right, o.Right),
                std::min(Bottom, o.Bottom)};
    }
    bool operator==(const TRect&) const = default;
};

inline TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}
