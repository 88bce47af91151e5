#pragma once

#include <QTimer>

#include "toolkit/Timer.h"

// A TTimer on Qt's event loop.
class TQtTimer : public TTimer {
public:
    TQtTimer();

    void SetInterval(uint32_t ms) override;
    uint32_t Interval() const override { return FInterval; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return FEnabled; }

private:
    void Restart();

    QTimer FTimer;
    uint32_t FInterval = 1000;
    bool FEnabled = true;
};

// Makes TQtTimers.
class TQtTimerFactory : public TTimerFactory {
public:
    std::unique_ptr<TTimer> CreateTimer() override;
};
