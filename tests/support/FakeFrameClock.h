#pragma once

#include "toolkit/FrameClock.h"

// A frame clock whose time and frames move only when the test says so.
class TFakeFrameClock : public TFrameClock {
public:
    void Start() override {
        Started = true;
        Now = 0;
        ++Starts;
    }
    void Stop() override { Started = false; }
    double ElapsedMs() const override { return Now; }

    // Moves the time on by ms and delivers a frame, as the display would while started.
    // Answers whether a frame was delivered.
    bool Frame(double ms) {
        Now += ms;
        if (!Started || !OnFrame) {
            return false;
        }
        OnFrame();
        return true;
    }

    bool Started = false;
    double Now = 0;
    int Starts = 0;
};

// Hands out fake frame clocks and keeps a pointer to the last one.
class TFakeFrameClockFactory : public TFrameClockFactory {
public:
    std::unique_ptr<TFrameClock> CreateFrameClock() override {
        auto clock = std::make_unique<TFakeFrameClock>();
        Last = clock.get();
        return clock;
    }
    TFakeFrameClock* Last = nullptr;
};
