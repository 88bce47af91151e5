#pragma once

#include "platform/IdleMonitor.h"

// An idle source the test drives: Idle() and Active() stand for what the session would say.
class TRecordingIdleMonitor : public TIdleMonitor {
public:
    bool Start(uint32_t idleMs) override {
        StartedWith = idleMs;
        return Available;
    }
    std::string Name() const override { return "recording"; }
    void Rearm() override { ++Rearms; }
    void Idle() {
        if (OnIdle) {
            OnIdle();
        }
    }
    void Active() {
        if (OnActive) {
            OnActive();
        }
    }
    bool Available = true;
    uint32_t StartedWith = 0;
    int Rearms = 0;
};
