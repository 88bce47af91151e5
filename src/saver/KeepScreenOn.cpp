#include "saver/KeepScreenOn.h"

#include "platform/WindowIdleInhibitor.h"
#include "toolkit/Timer.h"

TKeepScreenOn::TKeepScreenOn(TWindowIdleInhibitor& inhibitor, TTimerFactory& timers, uint32_t ms)
    : FInhibitor(inhibitor), FTimer(timers.CreateTimer()) {
    FTimer->OnTimer = [this] {
        // The show goes on; the desktop blanks and locks over it at its own time.
        FTimer->SetEnabled(false);
        FOver = true;
        FInhibitor.Release();
    };
    FTimer->SetInterval(ms);
    FTimer->SetEnabled(true);
}

TKeepScreenOn::~TKeepScreenOn() {
    FInhibitor.Release();
}

void TKeepScreenOn::Add(QWindow& window) {
    if (!FOver) {
        FInhibitor.Hold(window);
    }
}
