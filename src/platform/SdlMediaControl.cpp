#include "platform/SdlMediaControl.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr std::string_view openHead = "open \"";
constexpr std::string_view openTail = "\" alias mp wait";

bool HasTag(std::span<const uint8_t> data, size_t at, const char* tag) {
    return data.size() >= at + 4 && std::memcmp(data.data() + at, tag, 4) == 0;
}

// Set by the mixer when the music ends, in the audio thread or inside a halt: nothing here may
// take a lock.
std::atomic<bool> musicEnded{false};

void SDLCALL OnMusicEnded() {
    musicEnded = true;
}

uint32_t ReadUint32(std::span<const uint8_t> data, size_t at) {
    return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | uint32_t(data[at + 3]) << 24;
}

}  // namespace

Mix_MusicType MusicTypeOf(std::span<const uint8_t> data) {
    if (HasTag(data, 0, "MThd")) {
        return MUS_MID;
    }
    if (HasTag(data, 0, "RIFF") && HasTag(data, 8, "WAVE")) {
        return MUS_WAV;
    }
    if (data.size() >= 3 && std::memcmp(data.data(), "ID3", 3) == 0) {
        return MUS_MP3;
    }
    // Eleven sync bits, then layer III.
    if (data.size() >= 2 && data[0] == 0xFF && (data[1] & 0xE6) == 0xE2) {
        return MUS_MP3;
    }
    return MUS_NONE;
}

std::span<const uint8_t> RmidMidiData(std::span<const uint8_t> data) {
    if (!HasTag(data, 0, "RIFF") || !HasTag(data, 8, "RMID")) {
        return data;
    }
    size_t at = 12;
    while (data.size() >= at + 8) {
        const size_t size = ReadUint32(data, at + 4);
        const size_t start = at + 8;
        if (HasTag(data, at, "data")) {
            return data.subspan(start, std::min(size, data.size() - start));
        }
        // Chunks are padded to an even length.
        at = start + size + (size & 1);
    }
    return {};
}

TSdlMediaControl::~TSdlMediaControl() {
    if (FOpen) {
        Close();
    }
}

int TSdlMediaControl::SendString(const std::string& command) {
    // The file name is everything between the opening quote and the tail, so a name holding a
    // quote stays one name instead of ending early and passing its rest on as a command.
    if (command.size() >= openHead.size() + openTail.size() && command.starts_with(openHead) &&
        command.ends_with(openTail)) {
        return Open(
            command.substr(openHead.size(), command.size() - openHead.size() - openTail.size()));
    }
    if (command == "play mp") {
        return Play(1);
    }
    if (command == "play mp repeat") {
        return Play(-1);
    }
    if (command == "stop mp") {
        if (!FOpen) {
            return ErrNotOpen;
        }
        Halt();
        return 0;
    }
    if (command == "close mp") {
        if (!FOpen) {
            return ErrNotOpen;
        }
        Close();
        return 0;
    }
    return ErrUnknownCommand;
}

int TSdlMediaControl::Open(const std::string& fileName) {
    if (FOpen) {
        return ErrAliasInUse;
    }
    if (TSdlAudio::GivenUp() || !FAudio.Open()) {
        return ErrNoDevice;
    }
    if (!TSdlAudio::ReadSoundFile(fileName, FData)) {
        FData.clear();
        return ErrCannotRead;
    }
    // The decoder is the content's, never SDL_mixer's guess: it would take anything unknown
    // for a tracker module.
    const std::span<const uint8_t> music = RmidMidiData(FData);
    const Mix_MusicType type = MusicTypeOf(music);
    FMusic = type != MUS_NONE && music.size() <= size_t(INT_MAX)
                 ? Mix_LoadMUSType_RW(SDL_RWFromConstMem(music.data(), int(music.size())), type, 1)
                 : nullptr;
    if (!FMusic) {
        TSdlAudio::LogFailure("cannot decode a sound file");
        FData.clear();
        return ErrCannotDecode;
    }
    FType = type;
    TSdlAudio::Bounded([] {
        Mix_HookMusicFinished(OnMusicEnded);
        return 0;
    });
    FOpen = true;
    return 0;
}

int TSdlMediaControl::Play(int loops) {
    if (!FOpen) {
        return ErrNotOpen;
    }
    StopRepeating();
    const bool byPass = loops < 0 && FType == MUS_MID;
    Mix_Music* music = FMusic;
    const int count = byPass ? 1 : loops;
    const std::lock_guard lock(FMutex);
    FPassStart = std::chrono::steady_clock::now();
    const auto played = TSdlAudio::Bounded([music, count] { return Mix_PlayMusic(music, count); });
    // Cleared after the start, which may report the end of what played before; no pass ends
    // this soon (the synthesizer plays on for its reverb).
    musicEnded = false;
    if (played != 0) {
        TSdlAudio::LogFailure("cannot play a sound file");
        return ErrCannotPlay;
    }
    if (byPass) {
        FQuit = false;
        FRepeater = std::thread(&TSdlMediaControl::RepeatMidi, this);
    }
    return 0;
}

void TSdlMediaControl::RepeatMidi() {
    std::unique_lock lock(FMutex);
    while (!FQuit) {
        // The end is only flagged (see OnMusicEnded), so it is looked for often.
        FWake.wait_for(lock, std::chrono::milliseconds(50));
        if (FQuit || !musicEnded) {
            continue;
        }
        if (FWake.wait_until(lock, FPassStart + MidiPassMinimum, [this] { return FQuit; })) {
            break;
        }
        FPassStart = std::chrono::steady_clock::now();
        Mix_Music* music = FMusic;
        const auto played = TSdlAudio::Bounded([music] { return Mix_PlayMusic(music, 1); });
        musicEnded = false;
        if (played != 0) {
            break;
        }
    }
}

void TSdlMediaControl::StopRepeating() {
    if (!FRepeater.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(FMutex);
        FQuit = true;
    }
    FWake.notify_all();
    FRepeater.join();
}

void TSdlMediaControl::Halt() {
    StopRepeating();
    TSdlAudio::Bounded([] {
        Mix_HaltMusic();
        return 0;
    });
}

void TSdlMediaControl::Close() {
    StopRepeating();
    Mix_Music* music = std::exchange(FMusic, nullptr);
    const auto freed = TSdlAudio::Bounded([music] {
        Mix_HaltMusic();
        Mix_FreeMusic(music);
        return 0;
    });
    if (!freed) {
        // The stuck audio thread may still read the music's bytes: they are left to it, and
        // stay reachable.
        static auto* abandoned = new std::vector<std::vector<uint8_t>>;
        abandoned->push_back(std::move(FData));
    }
    FData.clear();
    FType = MUS_NONE;
    FOpen = false;
}
