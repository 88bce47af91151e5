#pragma once

#include <cstdint>

#include "platform/SdlAudio.h"
#include "platform/WavePlayer.h"

struct Mix_Chunk;

// Wave player on a mixer channel of its own, so a wave sound plays beside the media control's
// music. Make one per process.
class TSdlWavePlayer : public TWavePlayer {
public:
    TSdlWavePlayer() = default;
    ~TSdlWavePlayer() override;
    TSdlWavePlayer(const TSdlWavePlayer&) = delete;
    TSdlWavePlayer& operator=(const TSdlWavePlayer&) = delete;

    bool PlaySound(const char* fileName, uint32_t flags) override;

private:
    void Halt();

    TSdlAudio FAudio;
    Mix_Chunk* FChunk = nullptr;
};
