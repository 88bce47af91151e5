#pragma once

#include "toolkit/Timer.h"

// A timer that fires only when the test says so.
class TFakeTimer : public TTimer {
public:
    void SetInterval(uint32_t ms) override {
        FInterval = ms;
        if (FEnabled) {
            ++Restarts;
        }
    }
    uint32_t Interval() const override { return FInterval; }
    void SetEnabled(bool enabled) override {
        if (enabled) {
            ++Restarts;
        }
        FEnabled = enabled;
    }
    bool Enabled() const override { return FEnabled; }

    // Fires as the real timer would once its interval has passed: only while enabled with a
    // non-zero interval. Answers whether the handler ran.
    bool Fire() {
        if (!FEnabled || FInterval == 0 || !OnTimer) {
            return false;
        }
        OnTimer();
        return true;
    }

    int Restarts = 0;

private:
    uint32_t FInterval = 1000;
    bool FEnabled = true;
};

// Hands out fake timers and keeps a pointer to the last one.
class TFakeTimerFactory : public TTimerFactory {
public:
    std::unique_ptr<TTimer> CreateTimer() override {
        auto timer = std::make_unique<TFakeTimer>();
        Last = timer.get();
        return timer;
    }
    TFakeTimer* Last = nullptr;
};
