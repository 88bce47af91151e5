#pragma once

#include <vector>

#include "platform/SaverFlag.h"

// Keeps the flag and every call, for tests.
class TRecordingSaverFlag : public TSaverFlag {
public:
    uint32_t SetRunning(bool running) override {
        const uint32_t old = Running ? 1 : 0;
        Running = running;
        Calls.push_back(running);
        return old;
    }

    bool Running = false;
    std::vector<bool> Calls;
};
