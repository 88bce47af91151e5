#pragma once

#include <cstdint>
#include <string>

#include "base/Color.h"

// Style bits of a font, as the settings record stores them.
enum TFontStyleBit : uint8_t {
    fsBold = 1 << 0,
    fsItalic = 1 << 1,
    fsUnderline = 1 << 2,
    fsStrikeOut = 1 << 3,
};

// A drawing font as a plain value: face name (UTF-8), size in points, style bits, colour.
struct TFont {
    std::string Name = "MS Sans Serif";
    int32_t Size = 10;
    uint8_t Style = 0;
    TColor Color = clBlack;

    bool operator==(const TFont&) const = default;
};
