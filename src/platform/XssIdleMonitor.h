#pragma once

#include <QTimer>
#include <memory>

#include "platform/IdleMonitor.h"
#include "platform/XssDisplay.h"

// The X server's idle time from its MIT-SCREEN-SAVER extension on $DISPLAY. The extension
// sends no event at a threshold, so the time is asked for: while waiting no more often than
// once a second (and only when the threshold may have come), while idle four times a second.
// A screen saver suspended by another client (a video player) counts as not idle.
class TXssIdleMonitor : public TIdleMonitor {
public:
    TXssIdleMonitor();

    bool Start(uint32_t idleMs) override;
    std::string Name() const override { return "MIT-SCREEN-SAVER"; }

private:
    void Poll();

    TXssDisplay FDisplay;
    QTimer FPoll;
    uint32_t FIdleMs = 0;
    bool FIdle = false;
    unsigned long FLastIdle = 0;
};
