#pragma once

#include <QTimer>
#include <memory>

#include "platform/IdleMonitor.h"
#include "platform/XssDisplay.h"

class QSocketNotifier;

// The X server's idle time on $DISPLAY: alarms on its IDLETIME counter where the server has
// one, else its MIT-SCREEN-SAVER extension asked no more often than once a second while
// waiting (and only when the delay may have passed), four times a second while idle. A screen
// saver suspended by another client (a video player) counts as not idle; that is asked once a
// second while it lasts.
class TXssIdleMonitor : public TIdleMonitor {
public:
    TXssIdleMonitor();
    ~TXssIdleMonitor() override;

    bool Start(uint32_t idleMs) override;
    std::string Name() const override;

private:
    void Poll();
    void Alarmed();
    // The idle delay has passed: idle unless the screen saver is suspended.
    void MaybeIdle();
    void BecameIdle();
    void BecameActive();
    // Asks the server for the idle time; when it cannot answer, tells OnLost and answers false.
    bool Query(unsigned long& idle, bool& suspended);

    TXssDisplay FDisplay;
    QTimer FPoll;
    std::unique_ptr<QSocketNotifier> FAlarms;
    uint32_t FIdleMs = 0;
    bool FIdle = false;
    unsigned long FLastIdle = 0;
};
