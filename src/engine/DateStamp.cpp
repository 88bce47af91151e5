#include "engine/DateStamp.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "toolkit/Bitmap.h"
#include "toolkit/QtFont.h"

std::string DateStampText(const TDateTaken& date) {
    return std::to_string(date.Year) + "年" + std::to_string(date.Month) + "月" +
           std::to_string(date.Day) + "日";
}

void DrawDateStamp(TBitmap& frame, const TDateTaken& date, TTextPosition corner) {
    if (!date.Known() || frame.Width() <= 0 || frame.Height() <= 0) {
        return;
    }
    TFont face;
    face.Name = "宋体";
    face.Style = fsBold;
    QFont font = ToQFont(face);
    const int pixels = std::max(10, frame.Height() / 30);
    font.setPixelSize(pixels);
    const QString text = QString::fromStdString(DateStampText(date));
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const double margin = std::max(8, frame.Height() / 40);
    const int column = static_cast<int>(corner) % 3;
    const bool top = corner <= tpTopRight;
    const double x = column == 0   ? margin
                     : column == 1 ? (frame.Width() - width) / 2
                                   : frame.Width() - width - margin;
    const double baseline =
        top ? margin + metrics.ascent() : frame.Height() - margin - metrics.descent();

    QPainterPath path;
    path.addText(QPointF(x, baseline), font, text);
    QPainter painter(&frame.Image());
    painter.setRenderHint(QPainter::Antialiasing);
    // The outline is drawn first and the letters over it, so it only widens them outwards.
    painter.strokePath(path,
                       QPen(QColor(0, 0, 0, 200),
                            std::max(2.0, pixels / 8.0),
                            Qt::SolidLine,
                            Qt::RoundCap,
                            Qt::RoundJoin));
    painter.fillPath(path, QColor(255, 255, 255));
}
