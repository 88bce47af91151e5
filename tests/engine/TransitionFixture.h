#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "engine/CcTransition.h"
#include "support/RecordingCanvas.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Random.h"

inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

// Runs one effect on a recording canvas with a w x h source.
inline std::vector<TDrawCall> Record(int effect, int w, int h) {
    TBitmap source(w, h);
    TRecordingCanvas target;
    TCcTransition runner;
    runner.Run(&source, &target, effect);
    EXPECT_FALSE(runner.Running);
    // Every pattern and every copy comes from the source picture.
    for (const auto& c : target.Calls) {
        if (c.Copy) {
            EXPECT_EQ(c.Source, &source.Canvas());
        } else {
            EXPECT_EQ(c.Pattern, &source);
        }
    }
    return target.Calls;
}

constexpr TRect Full(int w, int h) {
    return {0, 0, w, h};
}

inline TColor SourceColor(int x, int y) {
    return RGBColor(x, y, 0x5A);
}
constexpr TColor kOld = RGBColor(0, 0, 0xFF);

inline void Paint(TBitmap& b, bool pattern) {
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            b.SetPixel(x, y, pattern ? SourceColor(x, y) : kOld);
        }
    }
}
