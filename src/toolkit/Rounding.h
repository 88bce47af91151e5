#pragma once

#include <cmath>

// Nearest integer, ties to the even neighbour (the default rounding mode): 2.5 gives 2, 3.5
// gives 4. Taken in extended precision, where the drawing formulas are computed.
inline int RoundToEven(long double value) {
    return static_cast<int>(std::nearbyintl(value));
}
