#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/CdSound.h"
#include "platform/SdlMediaControl.h"
#include "platform/SdlWavePlayer.h"
#include "support/SoundFiles.h"

// Usage: sound_demo <file> [seconds] plays the file as the slide show would, then stops it;
// sound_demo --make <folder> writes the test's tune.mid, tune.rmi and tone.wav there to listen to.
int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s <file.mp3|.wav|.mid|.rmi> [seconds]\n"
                     "       %s --make <folder>\n",
                     argv[0],
                     argv[0]);
        return 2;
    }
    if (std::strcmp(argv[1], "--make") == 0 && argc > 2) {
        using namespace soundfiles;
        const std::filesystem::path dir = argv[2];
        WriteBytes(dir / "tune.mid", MidiTune(16));
        WriteBytes(dir / "tune.rmi", Rmid(MidiTune(16)));
        WriteBytes(dir / "tone.wav", SquareWave(22050));
        return 0;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    TSdlMediaControl media;
    TSdlWavePlayer wave;
    TCdSound sound(media, wave);
    sound.Play(argv[1]);
    std::printf("playing %s for %d s\n", argv[1], seconds);
    SDL_Delay(Uint32(seconds) * 1000);
    sound.Stop();
    return 0;
}
