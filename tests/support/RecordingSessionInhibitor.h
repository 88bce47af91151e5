#pragma once

#include "platform/SessionInhibitor.h"

// Counts holds and releases; held while a hold is not yet released.
class TRecordingSessionInhibitor : public TSessionInhibitor {
public:
    bool Hold(const std::string&) override {
        if (!Held) {
            ++Holds;
        }
        Held = true;
        return true;
    }
    void Release() override {
        if (Held) {
            ++Releases;
        }
        Held = false;
    }
    bool Held = false;
    int Holds = 0;
    int Releases = 0;
};
