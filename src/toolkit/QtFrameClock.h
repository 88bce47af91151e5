#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "toolkit/FrameClock.h"

// A TFrameClock on Qt's event loop, ticking at the primary screen's refresh rate.
class TQtFrameClock : public TFrameClock {
public:
    TQtFrameClock();

    void Start() override;
    void Stop() override;
    double ElapsedMs() const override;

private:
    QTimer FTimer;
    QElapsedTimer FElapsed;
};

// Makes TQtFrameClocks.
class TQtFrameClockFactory : public TFrameClockFactory {
public:
    std::unique_ptr<TFrameClock> CreateFrameClock() override;
};
