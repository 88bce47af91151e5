#include "toolkit/QtTimer.h"

#include <limits>

TQtTimer::TQtTimer() {
    FTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] {
        if (FEnabled && FInterval != 0 && OnTimer) {
            OnTimer();
        }
    });
    Restart();
}

void TQtTimer::SetInterval(uint32_t ms) {
    FInterval = ms;
    Restart();
}

void TQtTimer::SetEnabled(bool enabled) {
    FEnabled = enabled;
    Restart();
}

void TQtTimer::Restart() {
    // A QTimer of interval 0 would fire at every pass of the event loop; ours never fires.
    if (!FEnabled || FInterval == 0) {
        FTimer.stop();
        return;
    }
    const auto ms = std::min<uint32_t>(FInterval, std::numeric_limits<int>::max());
    FTimer.start(static_cast<int>(ms));
}

std::unique_ptr<TTimer> TQtTimerFactory::CreateTimer() {
    return std::make_unique<TQtTimer>();
}
