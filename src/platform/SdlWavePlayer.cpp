#include "platform/SdlWavePlayer.h"

#include <SDL_mixer.h>

#include <climits>
#include <vector>

TSdlWavePlayer::~TSdlWavePlayer() {
    Halt();
}

bool TSdlWavePlayer::PlaySound(const char* fileName, uint32_t flags) {
    Halt();
    if (!fileName) {
        return true;
    }
    if (!FAudio.Open()) {
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
    if (Mix_PlayChannel(TSdlAudio::WaveChannel, FChunk, loops) < 0) {
        TSdlAudio::LogFailure("cannot play a wave file");
        Halt();
        return false;
    }
    return true;
}

void TSdlWavePlayer::Halt() {
    if (FChunk) {
        Mix_HaltChannel(TSdlAudio::WaveChannel);
        Mix_FreeChunk(FChunk);
        FChunk = nullptr;
    }
}
