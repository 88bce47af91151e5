#pragma once

#include <QFont>

#include "base/Font.h"

// The Qt font that draws a TFont at 96 dots per inch (10 pt = 13 px), its face mapped to an
// installed one: "宋体"/"SimSun" to a Simplified-Chinese face, "MS Sans Serif"/"Arial" to
// Liberation Sans.
QFont ToQFont(const TFont& font);
// The TFont that a Qt font (as a font dialog returns it) stands for; the colour is kept.
// The installed faces map back to "宋体" and "Arial".
void FromQFont(const QFont& qfont, TFont& font);
// The pixel size of a font of the given points at 96 dots per inch, rounded half up.
int FontPixelSize(int points);
