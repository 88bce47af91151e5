#include "engine/ShowCaptions.h"

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Bitmap.h"
#include "toolkit/Rounding.h"
#include "toolkit/TextLines.h"

namespace {

constexpr int CaptionMargin = 16;
constexpr int DescriptionLinePitch = 49;
constexpr int BottomRowPitch = 16;

}  // namespace

void DrawTitleScreen(TBitmap& screen, const TSaverSettings& settings) {
    TCanvas& canvas = screen.Canvas();
    const int sw = screen.Width();
    const int sh = screen.Height();
    canvas.Brush().Color = settings.BackColor;
    canvas.FillRect(canvas.ClipRect());

    // The screen fractions are taken in extended precision: in double, 650 x 0.17 comes out
    // just above 110.5 and rounds up, where the exact product is a tie that goes to 110.
    TFont& font = canvas.Font();
    const std::string title = ReadFieldUtf8(settings.Title) + " Screen Saver";
    font.Size = 24;
    font.Color = RGBColor(0, 255, 0);
    font.Style = fsBold | fsItalic;
    canvas.TextOut((sw - canvas.TextWidth(title)) / 2, RoundToEven(sh * 0.17L), title);
    font.Style = fsBold;

    const std::string description = ReadFieldUtf8(settings.Description.DescriptionText);
    if (!description.empty()) {
        font.Size = 12;
        font.Color = RGBColor(255, 255, 0);
        const int x = RoundToEven(sw * 0.17L);
        int y = RoundToEven(sh * 0.34L);
        for (const std::string& line : SplitLines(description)) {
            canvas.TextOut(x, y, line);
            y += DescriptionLinePitch;
        }
    }

    font.Size = 10;
    font.Color = clWhite;
    const int y0 = RoundToEven(sh * 0.75L);
    const std::string rows[] = {ReadFieldUtf8(settings.Description.WebAddress),
                                ReadFieldUtf8(settings.Description.CompanyName),
                                ReadFieldUtf8(settings.Description.RightsNotice)};
    for (int i = 0; i < 3; ++i) {
        if (!rows[i].empty()) {
            canvas.TextOut((sw - canvas.TextWidth(rows[i])) / 2, y0 + i * BottomRowPitch, rows[i]);
        }
    }
}

void DrawCaption(TBitmap& frame, const TSaverPictureText& slot) {
    const std::string text = ReadFieldUtf8(slot.Text);
    if (text.empty()) {
        return;
    }
    TCanvas& canvas = frame.Canvas();
    SaverFontToFont(slot.Font, canvas.Font());
    const int sw = frame.Width();
    const int sh = frame.Height();
    int x = slot.Left;
    int y = slot.Top;
    const int lh = canvas.TextHeight(text);
    const std::vector<std::string> lines = SplitLines(text);
    const int n = static_cast<int>(lines.size());

    // Read as unsigned, a negative position falls among the custom ones.
    const auto position = static_cast<uint32_t>(slot.Position);
    if (position <= uint32_t{tpTopRight}) {
        y = CaptionMargin;
    } else if (position <= uint32_t{tpBottomRight}) {
        y = sh - (n * lh + RoundToEven((n - 1) * lh * 0.5) + CaptionMargin);
    }
    for (const std::string& line : lines) {
        const int lw = canvas.TextWidth(line);
        switch (position) {
            case tpTopLeft:
            case tpBottomLeft:
                x = CaptionMargin;
                break;
            case tpTopCenter:
            case tpBottomCenter:
                x = (sw - lw) / 2;
                break;
            case tpTopRight:
            case tpBottomRight:
                x = sw - lw - CaptionMargin;
                break;
            default:
                break;
        }
        canvas.TextOut(x, y, line);
        y += RoundToEven(lh * 1.5);
    }
}
