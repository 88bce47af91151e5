#include "platform/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "toolkit/UserFile.h"

namespace {

int openHolders = 0;
bool failureLogged = false;
std::atomic<bool> givenUp{false};

// General MIDI sound fonts in the order we prefer them; the first one present is used.
const char* const soundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

void ChooseSoundFont() {
    // A sound font named in SDL_SOUNDFONTS is the user's choice and wins.
    const char* chosen = SDL_getenv("SDL_SOUNDFONTS");
    if (chosen && *chosen) {
        return;
    }
    for (const char* path : soundFonts) {
        if (access(path, R_OK) == 0) {
            Mix_SetSoundFonts(path);
            return;
        }
    }
}

bool OpenDevice() {
    // SDL would otherwise turn SIGINT and SIGTERM into events that nobody here reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        TSdlAudio::LogFailure("no audio device");
        return false;
    }
    ChooseSoundFont();
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 2048) != 0) {
        TSdlAudio::LogFailure("cannot open the audio device");
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_ReserveChannels(1);
    return true;
}

void CloseDevice() {
    // A device given up is left open: closing it would wait for the stuck audio thread.
    TSdlAudio::Bounded([] {
        Mix_HaltMusic();
        Mix_HaltChannel(-1);
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    });
}

}  // namespace

TSdlAudio::~TSdlAudio() {
    if (FOpen && --openHolders == 0) {
        CloseDevice();
    }
}

bool TSdlAudio::Open() {
    if (!FTried && !givenUp) {
        FTried = true;
        FOpen = openHolders > 0 || OpenDevice();
        if (FOpen) {
            ++openHolders;
        }
    }
    return FOpen;
}

void TSdlAudio::LogFailure(const char* what) {
    if (failureLogged) {
        return;
    }
    failureLogged = true;
    std::fprintf(stderr, "kavro: sound: %s: %s\n", what, SDL_GetError());
}

bool TSdlAudio::ReadSoundFile(const std::string& fileName, std::vector<uint8_t>& data) {
    data.clear();
    std::string reason;
    const int fd = OpenRegularFile(fileName, reason);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    uint8_t buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        data.insert(data.end(), buffer, buffer + got);
    }
    ::close(fd);
    return ok;
}

std::optional<int> TSdlAudio::Bounded(std::function<int()> call) {
    if (givenUp) {
        return std::nullopt;
    }
    struct TState {
        std::mutex Mutex;
        std::condition_variable Done;
        std::optional<int> Result;
    };
    auto state = std::make_shared<TState>();
    std::thread([state, call = std::move(call)] {
        const int result = call();
        const std::lock_guard lock(state->Mutex);
        state->Result = result;
        state->Done.notify_all();
    }).detach();
    std::unique_lock lock(state->Mutex);
    if (state->Done.wait_for(lock, CallDeadline, [&] { return state->Result.has_value(); })) {
        return state->Result;
    }
    if (!givenUp.exchange(true)) {
        std::fprintf(stderr, "kavro: sound: the audio device stopped answering; sound is off\n");
    }
    return std::nullopt;
}

bool TSdlAudio::GivenUp() {
    return givenUp;
}
