#pragma once

#include <cstdint>

// A wave-sound player. PlaySound(name, 9) plays name asynchronously and looping, replacing any
// wave sound playing before; PlaySound(nullptr, flags) stops it.
class TWavePlayer {
public:
    static constexpr uint32_t SndAsync = 1;
    static constexpr uint32_t SndLoop = 8;

    virtual ~TWavePlayer() = default;
    virtual bool PlaySound(const char* fileName, uint32_t flags) = 0;
};
