#pragma once

#include <cstdint>
#include <string>

#include "engine/SoundFormats.h"

class TMediaControl;
class TWavePlayer;

// Plays one sound file in the background, chosen by its extension: MP3 loops and MIDI/RMI play
// once through media control, WAV loops through the wave player. Reports nothing.
class TCdSound {
public:
    TCdSound(TMediaControl& media, TWavePlayer& wave);
    ~TCdSound();
    TCdSound(const TCdSound&) = delete;
    TCdSound& operator=(const TCdSound&) = delete;

    void Play(const std::string& fileName);
    void Stop();
    void KindFromExtension(const std::string& ext);

    bool Idle = true;
    TSoundKind Kind = skNone;

private:
    TMediaControl& FMedia;
    TWavePlayer& FWave;
};
