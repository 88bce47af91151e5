#include "platform/SdlWavePlayer.h"

#include <SDL_mixer.h>

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
    FChunk = Mix_LoadWAV(fileName);
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
