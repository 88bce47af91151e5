#pragma once

#include <cstdint>
#include <string>

#include "platform/MediaControl.h"
#include "platform/WavePlayer.h"

// Sound layers that accept everything and play nothing, for shows that are only looked at.
class TSilentMedia : public TMediaControl {
public:
    int SendString(const std::string&) override { return 0; }
};

class TSilentWave : public TWavePlayer {
public:
    bool PlaySound(const char*, uint32_t) override { return true; }
};
