#include "ui/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

QPixmap Glyph(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter);
    return pixmap;
}

}  // namespace

QPixmap OpenFolderGlyph() {
    return Glyph([](QPainter& p) {
        p.setPen(QColor(128, 128, 0));
        p.setBrush(QColor(255, 255, 128));
        p.drawRect(0, 5, 11, 9);
        p.drawRect(1, 3, 4, 2);
        p.setBrush(QColor(224, 192, 64));
        p.drawPolygon(QPolygon({QPoint(0, 14), QPoint(3, 8), QPoint(14, 8), QPoint(11, 14)}));
        // The bent arrow that says "open".
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 0, 128), 1.5));
        p.setBrush(Qt::NoBrush);
        QPainterPath arrow(QPointF(8, 4));
        arrow.quadTo(QPointF(10, 0.5), QPointF(14, 2));
        p.drawPath(arrow);
        p.setBrush(QColor(0, 0, 128));
        p.drawPolygon(QPolygonF({QPointF(15.5, 3), QPointF(12, 0.5), QPointF(12.5, 4.5)}));
    });
}

QPixmap PlayGlyph() {
    return Glyph([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(128, 0, 0));
        p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(13, 8), QPoint(4, 14)}));
    });
}

QPixmap StopGlyph() {
    return Glyph([](QPainter& p) { p.fillRect(3, 3, 10, 10, Qt::black); });
}

QPixmap EraserGlyph() {
    return Glyph([](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(64, 64, 64));
        p.setBrush(QColor(240, 160, 176));
        p.drawPolygon(QPolygonF({QPointF(1, 10), QPointF(8, 3), QPointF(12, 7), QPointF(5, 14)}));
        p.setBrush(QColor(96, 128, 224));
        p.drawPolygon(
            QPolygonF({QPointF(8, 3), QPointF(11, 0.5), QPointF(15, 4.5), QPointF(12, 7)}));
        p.drawLine(QPointF(5, 14.5), QPointF(15, 14.5));
    });
}

QPixmap KavroIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient ground(0, 0, 0, 64);
    ground.setColorAt(0, QColor(0, 128, 255));
    ground.setColorAt(1, QColor(0, 64, 160));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // The picture: a frame in the wizard's yellow around sky, sun and hills.
    p.setBrush(QColor(253, 230, 168));
    p.drawRect(QRectF(10, 14, 44, 36));
    p.setBrush(QColor(170, 220, 255));
    p.drawRect(QRectF(14, 18, 36, 28));
    p.setBrush(QColor(255, 200, 0));
    p.drawEllipse(QPointF(40, 26), 5, 5);
    p.setBrush(QColor(60, 160, 60));
    QPainterPath hills(QPointF(14, 46));
    hills.lineTo(14, 38);
    hills.quadTo(22, 28, 30, 38);
    hills.quadTo(38, 32, 50, 40);
    hills.lineTo(50, 46);
    p.drawPath(hills);
    return pixmap;
}
