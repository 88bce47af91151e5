#pragma once

#include <cstdint>
#include <memory>

class QWindow;
class TTimer;
class TTimerFactory;
class TWindowIdleInhibitor;

// Keeps the desktop from blanking and locking over the show for at most a while, through the
// show's own windows: each one the show opens holds the session's idle off until the time is
// up or the show ends, whichever comes first. The time runs from the keeper's making.
class TKeepScreenOn {
public:
    TKeepScreenOn(TWindowIdleInhibitor& inhibitor, TTimerFactory& timers, uint32_t ms);
    ~TKeepScreenOn();
    TKeepScreenOn(const TKeepScreenOn&) = delete;
    TKeepScreenOn& operator=(const TKeepScreenOn&) = delete;

    // A window of the show, just shown: held too while the time lasts.
    void Add(QWindow& window);

private:
    TWindowIdleInhibitor& FInhibitor;
    std::unique_ptr<TTimer> FTimer;
    bool FOver = false;
};
