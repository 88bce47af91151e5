#include "toolkit/QtScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {

int DevicePixels(int logical) {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(logical * screen->devicePixelRatio())) : 0;
}

QSize LogicalSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(0, 0);
}

}  // namespace

int TQtScreen::Width() const {
    return DevicePixels(LogicalSize().width());
}

int TQtScreen::Height() const {
    return DevicePixels(LogicalSize().height());
}

TRect TQtScreen::Geometry() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return {};
    }
    const QRect place = screen->geometry();
    return {place.left(), place.top(), place.left() + place.width(), place.top() + place.height()};
}
