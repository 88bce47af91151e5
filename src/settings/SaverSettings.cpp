#include "settings/SaverSettings.h"

#include <cstring>

void InitSaverSettings(TSaverSettings& settings) {
    std::memset(&settings, 0, sizeof settings);
    for (TSaverPictureText& slot : settings.PictureTexts) {
        InitPictureText(slot);
    }
    std::memset(settings.Transitions, 1, sizeof settings.Transitions);
}

void InitPictureText(TSaverPictureText& slot) {
    std::memset(&slot, 0, sizeof slot);
    WriteFieldText(slot.Font.Name, "MS Sans Serif");
    slot.Font.Size = 10;
    slot.Font.Color = RGBColor(0, 255, 0);
    slot.Position = tpTopCenter;
}

void WriteFieldText(char* field, size_t n, std::string_view bytes) {
    // Cutting through a double-byte character would leave a lone lead byte that a reader
    // pairs with whatever follows; back off to the character boundary instead.
    size_t length = GbkPrefixLength(bytes, n);
    std::memcpy(field, bytes.data(), length);
    if (length < n) {
        field[length] = '\0';
    }
}

std::string ReadFieldText(const char* field, size_t n) {
    const void* zero = std::memchr(field, '\0', n);
    size_t length = zero ? static_cast<const char*>(zero) - field : n;
    return std::string(field, length);
}

void FontToSaverFont(const TFont& font, TSaverFont& saverFont) {
    WriteFieldUtf8(saverFont.Name, font.Name);
    saverFont.Size = font.Size;
    saverFont.Style = font.Style & 0x0F;
    saverFont.Color = font.Color;
}

void SaverFontToFont(const TSaverFont& saverFont, TFont& font) {
    std::string name = ReadFieldUtf8(saverFont.Name);
    if (!name.empty()) {
        font.Name = name;
    }
    font.Size = saverFont.Size;
    font.Style = saverFont.Style & 0x0F;
    font.Color = saverFont.Color;
}
