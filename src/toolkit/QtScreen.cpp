#include "toolkit/QtScreen.h"

#include <QGuiApplication>
#include <cmath>

QScreen* TQtScreen::Display() const {
    return FPrimary ? QGuiApplication::primaryScreen() : FScreen.data();
}

int TQtScreen::Width() const {
    QScreen* screen = Display();
    return screen
               ? static_cast<int>(std::lround(screen->size().width() * screen->devicePixelRatio()))
               : 0;
}

int TQtScreen::Height() const {
    QScreen* screen = Display();
    return screen
               ? static_cast<int>(std::lround(screen->size().height() * screen->devicePixelRatio()))
               : 0;
}

TRect TQtScreen::Geometry() const {
    QScreen* screen = Display();
    if (!screen) {
        return {};
    }
    const QRect place = screen->geometry();
    return {place.left(), place.top(), place.left() + place.width(), place.top() + place.height()};
}
