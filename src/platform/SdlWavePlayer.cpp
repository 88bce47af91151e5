#include "platform/SdlWavePlayer.h"

#include <SDL_mixer.h>

#include <climits>
#include <utility>
#include <vector>

TSdlWavePlayer::~TSdlWavePlayer() {
    Halt();
}

bool TSdlWavePlayer::PlaySound(const char* fileName, uint32_t flags) {
    Halt();
    if (!fileName) {
        return true;
    }
    if (TSdlAudio::GivenUp() || !FAudio.Open()) {
        return false;
    }
    // Read here rather than by SDL, which would wait forever on a FIFO; the chunk keeps a
    // decoded copy of its own.
    std::vector<uint8_t> data;
    if (!TSdlAudio::ReadSoundFile(fileName, data) || data.size() > size_t(INT_MAX)) {
        TSdlAudio::LogFailure("cannot read a wave file");
        return false;
    }
    FChunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(data.data(), int(data.size())), 1);
    if (!FChunk) {
        TSdlAudio::LogFailure("cannot decode a wave file");
        return false;
    }
    const int loops = (flags & SndLoop) ? -1 : 0;
    Mix_Chunk* chunk = FChunk;
    const auto channel = TSdlAudio::Bounded(
        [chunk, loops] { return Mix_PlayChannel(TSdlAudio::WaveChannel, chunk, loops); });
    if (!channel || *channel < 0) {
        TSdlAudio::LogFailure("cannot play a wave file");
        Halt();
        return false;
    }
    return true;
}

void TSdlWavePlayer::Halt() {
    if (FChunk) {
        // A chunk whose halt does not return in time is left to the stuck audio thread.
        Mix_Chunk* chunk = std::exchange(FChunk, nullptr);
        TSdlAudio::Bounded([chunk] {
            Mix_HaltChannel(TSdlAudio::WaveChannel);
            Mix_FreeChunk(chunk);
            return 0;
        });
    }
}
