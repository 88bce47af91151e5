#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/WavePlayer.h"

// One call of the wave player: the sound name (none for a stop) and the flags.
struct TWaveCall {
    std::optional<std::string> Name;
    uint32_t Flags = 0;

    bool operator==(const TWaveCall&) const = default;
};

// Wave player that keeps every call in order, for tests, and answers Answer.
class TRecordingWavePlayer : public TWavePlayer {
public:
    bool PlaySound(const char* fileName, uint32_t flags) override {
        Calls.push_back({fileName ? std::optional<std::string>(fileName) : std::nullopt, flags});
        return Answer;
    }

    std::vector<TWaveCall> Calls;
    bool Answer = true;
};
