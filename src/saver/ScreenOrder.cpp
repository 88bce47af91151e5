#include "saver/ScreenOrder.h"

#include <algorithm>

int ScreenIndexOf(std::vector<TRect> screens, const TRect& window) {
    std::stable_sort(screens.begin(), screens.end(), [](const TRect& a, const TRect& b) {
        return a.Left != b.Left ? a.Left < b.Left : a.Top < b.Top;
    });
    const int cx = window.Left + window.Width() / 2, cy = window.Top + window.Height() / 2;
    int best = 0;
    long long bestArea = 0;
    for (size_t i = 0; i < screens.size(); ++i) {
        const TRect& s = screens[i];
        if (cx >= s.Left && cx < s.Right && cy >= s.Top && cy < s.Bottom) {
            return static_cast<int>(i);
        }
        const TRect overlap = s.Intersected(window);
        const long long area = overlap.IsEmpty() ? 0 : 1LL * overlap.Width() * overlap.Height();
        if (area > bestArea) {
            bestArea = area;
            best = static_cast<int>(i);
        }
    }
    return best;
}
