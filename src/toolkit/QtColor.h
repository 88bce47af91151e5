#pragma once

#include <QColor>

#include "base/Color.h"

// A record colour as Qt's, fully opaque.
inline QColor ToQColor(TColor color) {
    return QColor(ColorRed(color), ColorGreen(color), ColorBlue(color));
}

// A Qt colour as the record stores it; the alpha is dropped.
inline TColor FromQColor(const QColor& color) {
    return RGBColor(color.red(), color.green(), color.blue());
}
