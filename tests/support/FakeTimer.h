#pragma once

#include "toolkit/Timer.h"

// A timer that fires only when the test says so.
class TFakeTimer : public TTimer {
public:
    TFakeTimer() = default;
    // Counts its own end in *destroyed.
    explicit TFakeTimer(int* destroyed) : FDestroyed(destroyed) {}
    ~TFakeTimer() override {
        if (FDestroyed) {
            ++*FDestroyed;
        }
    }

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
    int* FDestroyed = nullptr;
};

// Hands out fake timers, keeps a pointer to the last one and counts how many were made and
// how many have ended: one show owns one timer.
class TFakeTimerFactory : public TTimerFactory {
public:
    std::unique_ptr<TTimer> CreateTimer() override {
        auto timer = std::make_unique<TFakeTimer>(&Destroyed);
        Last = timer.get();
        ++Created;
        return timer;
    }
    TFakeTimer* Last = nullptr;
    int Created = 0;
    int Destroyed = 0;
};
