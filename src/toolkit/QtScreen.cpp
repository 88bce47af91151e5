#include "toolkit/QtScreen.h"

#include <QGuiApplication>
#include <cmath>

QScreen* TQtScreen::Display() const {
    // A screen that was given and has gone (unplugged) is no display, not the primary.
    return FGiven ? FScreen.data() : QGuiApplication::primaryScreen();
}

int TQtScreen::Width() const {
    const QScreen* screen = Display();
    return screen
               ? static_cast<int>(std::lround(screen->size().width() * screen->devicePixelRatio()))
               : 0;
}

int TQtScreen::Height() const {
    const QScreen* screen = Display();
    return screen
               ? static_cast<int>(std::lround(screen->size().height() * screen->devicePixelRatio()))
               : 0;
}

TRect TQtScreen::Geometry() const {
    const QScreen* screen = Display();
    if (!screen) {
        return {};
    }
    const QRect place = screen->geometry();
    return {place.left(), place.top(), place.left() + place.width(), place.top() + place.height()};
}
