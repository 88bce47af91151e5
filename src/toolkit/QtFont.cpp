#include "toolkit/QtFont.h"

#include <QStringList>
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

struct TFaceMapping {
    const char* Name;
    const char* Installed;
};

// The faces the program names, and the installed faces that draw them.
constexpr TFaceMapping FaceMappings[] = {
    {"宋体", "WenQuanYi Micro Hei"},
    {"SimSun", "WenQuanYi Micro Hei"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Arial", "Liberation Sans"},
};

QString InstalledFace(const std::string& name) {
    for (const auto& m : FaceMappings) {
        if (name == m.Name) {
            return QString::fromUtf8(m.Installed);
        }
    }
    return QString::fromStdString(name);
}

// The name the program itself uses for an installed face, so that a font that went through a
// font dialog unchanged keeps its face in the record.
std::string ProgramFace(const QString& family) {
    if (family == QLatin1String("WenQuanYi Micro Hei")) {
        return "宋体";
    }
    if (family == QLatin1String("Liberation Sans")) {
        return "Arial";
    }
    return family.toStdString();
}

// a * b / c rounded half away from zero, as the classic toolkit's MulDiv.
int MulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    long long q = (std::llabs(p) + c / 2) / c;
    return static_cast<int>(p < 0 ? -q : q);
}

}  // namespace

int FontPixelSize(int points) {
    // In 64 bits: the size comes from a record and may be any int32, INT32_MIN included.
    const long long magnitude = std::llabs(static_cast<long long>(points));
    return static_cast<int>(std::clamp<long long>((magnitude * 96 + 36) / 72, 1, INT_MAX));
}

QFont ToQFont(const TFont& font) {
    QFont q;
    q.setFamilies(QStringList{InstalledFace(font.Name)});
    q.setPixelSize(FontPixelSize(font.Size));
    q.setBold(font.Style & fsBold);
    q.setItalic(font.Style & fsItalic);
    q.setUnderline(font.Style & fsUnderline);
    q.setStrikeOut(font.Style & fsStrikeOut);
    return q;
}

void FromQFont(const QFont& qfont, TFont& font) {
    // Several program faces share one installed face: keep the name the font had when the
    // installed face did not change ("MS Sans Serif" must not come back as "Arial").
    if (qfont.family() != InstalledFace(font.Name)) {
        font.Name = ProgramFace(qfont.family());
    }
    if (qfont.pointSize() > 0) {
        font.Size = qfont.pointSize();
    } else if (qfont.pixelSize() > 0) {
        font.Size = MulDiv(qfont.pixelSize(), 72, 96);
    }
    uint8_t style = 0;
    if (qfont.bold()) {
        style |= fsBold;
    }
    if (qfont.italic()) {
        style |= fsItalic;
    }
    if (qfont.underline()) {
        style |= fsUnderline;
    }
    if (qfont.strikeOut()) {
        style |= fsStrikeOut;
    }
    font.Style = style;
}
