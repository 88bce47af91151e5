#include "toolkit/QtFrameClock.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {

// One frame of the primary screen in whole milliseconds, 16 when the screen does not say.
int FrameMs() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double hz = screen ? screen->refreshRate() : 0;
    if (!(hz >= 24 && hz <= 500)) {
        return 16;
    }
    return std::max(1, static_cast<int>(std::floor(1000 / hz)));
}

}  // namespace

TQtFrameClock::TQtFrameClock() {
    FTimer.setTimerType(Qt::PreciseTimer);
    FTimer.setInterval(FrameMs());
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] {
        if (OnFrame) {
            OnFrame();
        }
    });
}

void TQtFrameClock::Start() {
    FElapsed.start();
    FTimer.start();
}

void TQtFrameClock::Stop() {
    FTimer.stop();
}

double TQtFrameClock::ElapsedMs() const {
    return FElapsed.isValid() ? FElapsed.nsecsElapsed() / 1e6 : 0;
}

std::unique_ptr<TFrameClock> TQtFrameClockFactory::CreateFrameClock() {
    return std::make_unique<TQtFrameClock>();
}
