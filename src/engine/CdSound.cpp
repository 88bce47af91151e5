#include "engine/CdSound.h"

#include "platform/MediaControl.h"
#include "platform/WavePlayer.h"
#include "toolkit/FileExt.h"
#include "toolkit/UserFile.h"

TCdSound::TCdSound(TMediaControl& media, TWavePlayer& wave) : FMedia(media), FWave(wave) {}

TCdSound::~TCdSound() {
    if (!Idle) {
        Stop();
    }
}

void TCdSound::KindFromExtension(const std::string& ext) {
    const TSoundFormat* format = FindSoundFormat(AsciiLower(ext));
    Kind = format ? format->Kind : skNone;
}

void TCdSound::Play(const std::string& fileName) {
    if (!Idle) {
        Stop();
    }
    // A FIFO, a folder or a device is not played: a player opening a FIFO would wait on it
    // forever. A missing file goes on to the players, which fail on it quietly.
    if (IsOtherThanRegularFile(fileName)) {
        return;
    }
    Idle = false;
    // The extension as written: KindFromExtension lowers it itself.
    KindFromExtension(FileExt(fileName));
    // The results are ignored: a sound that cannot play is simply not heard.
    const std::string open = "open \"" + fileName + "\" alias mp wait";
    switch (Kind) {
        case skMp3:
            FMedia.SendString(open);
            FMedia.SendString("play mp repeat");
            break;
        case skWave:
            FWave.PlaySound(fileName.c_str(), TWavePlayer::SndAsync | TWavePlayer::SndLoop);
            break;
        case skMidi:
        case skRmi:
            FMedia.SendString(open);
            FMedia.SendString("play mp");
            break;
        case skNone:
            break;
    }
}

void TCdSound::Stop() {
    if (Idle) {
        return;
    }
    Idle = true;
    switch (Kind) {
        case skMp3:
        case skMidi:
        case skRmi:
            FMedia.SendString("stop mp");
            FMedia.SendString("close mp");
            break;
        case skWave:
            FWave.PlaySound(nullptr, TWavePlayer::SndAsync);
            break;
        case skNone:
            break;
    }
    Kind = skNone;
}
