#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/Color.h"
#include "toolkit/Font.h"

static_assert(std::endian::native == std::endian::little,
              "the settings record's memory image is its little-endian byte image");

// The records below are their own byte images: packed, little-endian, written to installer
// files exactly as they lie in memory.
#pragma pack(push, 1)

// The font of one caption.
struct TSaverFont {
    char Name[20];  // 0: face name, code-page bytes
    int32_t Size;   // 20: points
    uint8_t Style;  // 24: bit 0 bold, 1 italic, 2 underline, 3 strike-out
    TColor Color;   // 25
};

// The caption laid over the picture at one list position.
struct TSaverPictureText {
    char Text[256];    // 0: CR LF separated lines, code-page bytes
    TSaverFont Font;   // 256
    int32_t Position;  // 285: see TTextPosition
    uint16_t Left;     // 289: used with tpCustom
    uint16_t Top;      // 291: used with tpCustom
};

// The title screen and its texts.
struct TSaverDescription {
    uint8_t ShowDescription;     // 0 (75147)
    char DescriptionText[2049];  // 1 (75148)
    char WebAddress[256];        // 2050 (77197)
    char CompanyName[256];       // 2306 (77453)
    char RightsNotice[256];      // 2562 (77709)
};

// Everything that describes one screensaver.
struct TSaverSettings {
    char Title[100];                      // 0
    uint8_t Reserved;                     // 100
    uint8_t PictureCount;                 // 101
    TSaverPictureText PictureTexts[256];  // 102: slot i at 102 + 293 * i
    TColor BackColor;                     // 75110
    uint8_t StretchImages;                // 75114
    int32_t IntervalSeconds;              // 75115
    uint8_t SequentialOrder;              // 75119
    uint8_t Transitions[20];              // 75120: element k enables effect k + 1
    uint8_t SoundIncluded;                // 75140
    uint8_t PlaySound;                    // 75141
    char SoundExt[5];                     // 75142
    TSaverDescription Description;        // 75147
};

#pragma pack(pop)

static_assert(sizeof(TSaverFont) == 29);
static_assert(sizeof(TSaverPictureText) == 293);
static_assert(sizeof(TSaverDescription) == 2818);
static_assert(sizeof(TSaverSettings) == 77965);
static_assert(offsetof(TSaverFont, Color) == 25);
static_assert(offsetof(TSaverPictureText, Font) == 256);
static_assert(offsetof(TSaverPictureText, Position) == 285);
static_assert(offsetof(TSaverPictureText, Top) == 291);
static_assert(offsetof(TSaverSettings, PictureTexts) == 102);
static_assert(offsetof(TSaverSettings, BackColor) == 75110);
static_assert(offsetof(TSaverSettings, IntervalSeconds) == 75115);
static_assert(offsetof(TSaverSettings, Transitions) == 75120);
static_assert(offsetof(TSaverSettings, SoundExt) == 75142);
static_assert(offsetof(TSaverSettings, Description) == 75147);
static_assert(offsetof(TSaverSettings, Description.WebAddress) == 77197);
static_assert(offsetof(TSaverSettings, Description.RightsNotice) == 77709);

// Where a caption goes; any other value, read as unsigned, is placed like tpCustom.
enum TTextPosition : int32_t {
    tpTopLeft = 0,
    tpTopCenter = 1,
    tpTopRight = 2,
    tpBottomLeft = 3,
    tpBottomCenter = 4,
    tpBottomRight = 5,
    tpCustom = 6,
};

constexpr int MaxPictures = 255;
constexpr int TransitionCount = 20;

// Fills the record with its defaults: all zero, every caption slot in green 10-point
// "MS Sans Serif" at the top centre, every transition allowed.
void InitSaverSettings(TSaverSettings& settings);
// One caption slot as InitSaverSettings leaves it.
void InitPictureText(TSaverPictureText& slot);

// Stores code-page bytes in a char[n] field: at most n bytes, a zero byte after a shorter text,
// none after a text that fills the field. A cut never splits a double-byte character.
// Bytes after the terminator stay as they were.
void WriteFieldText(char* field, size_t n, std::string_view bytes);
// The bytes of a char[n] field up to its first zero byte, or all n.
std::string ReadFieldText(const char* field, size_t n);

template <size_t N>
void WriteFieldText(char (&field)[N], std::string_view bytes) {
    WriteFieldText(field, N, bytes);
}
template <size_t N>
std::string ReadFieldText(const char (&field)[N]) {
    return ReadFieldText(field, N);
}

// The same for the program's UTF-8 strings, converted to and from GBK.
template <size_t N>
void WriteFieldUtf8(char (&field)[N], std::string_view utf8);
template <size_t N>
std::string ReadFieldUtf8(const char (&field)[N]);

// Converts between a drawing font and the record's font description.
void FontToSaverFont(const TFont& font, TSaverFont& saverFont);
void SaverFontToFont(const TSaverFont& saverFont, TFont& font);

#include "settings/CodePage.h"

template <size_t N>
void WriteFieldUtf8(char (&field)[N], std::string_view utf8) {
    WriteFieldText(field, N, Utf8ToGbk(utf8));
}
template <size_t N>
std::string ReadFieldUtf8(const char (&field)[N]) {
    return GbkToUtf8(ReadFieldText(field, N));
}
