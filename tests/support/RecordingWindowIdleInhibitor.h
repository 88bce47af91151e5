#pragma once

#include <vector>

#include "platform/WindowIdleInhibitor.h"

// Records the windows held until they are released.
class TRecordingWindowIdleInhibitor : public TWindowIdleInhibitor {
public:
    bool Hold(QWindow& window) override {
        Held.push_back(&window);
        return true;
    }
    void Release() override { Held.clear(); }
    std::vector<QWindow*> Held;
};
