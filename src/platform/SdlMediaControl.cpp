#include "platform/SdlMediaControl.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <climits>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view openHead = "open \"";
constexpr std::string_view openTail = "\" alias mp wait";

bool HasTag(std::span<const uint8_t> data, size_t at, const char* tag) {
    return data.size() >= at + 4 && std::memcmp(data.data() + at, tag, 4) == 0;
}

uint32_t ReadUint32(std::span<const uint8_t> data, size_t at) {
    return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | uint32_t(data[at + 3]) << 24;
}

}  // namespace

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
        Mix_HaltMusic();
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
    if (!FAudio.Open()) {
        return ErrNoDevice;
    }
    if (!TSdlAudio::ReadSoundFile(fileName, FData)) {
        FData.clear();
        return ErrCannotRead;
    }
    const std::span<const uint8_t> music = RmidMidiData(FData);
    const bool loadable = !music.empty() && music.size() <= size_t(INT_MAX);
    FMusic =
        loadable ? Mix_LoadMUS_RW(SDL_RWFromConstMem(music.data(), int(music.size())), 1) : nullptr;
    if (!FMusic) {
        TSdlAudio::LogFailure("cannot decode a sound file");
        FData.clear();
        return ErrCannotDecode;
    }
    FOpen = true;
    return 0;
}

int TSdlMediaControl::Play(int loops) {
    if (!FOpen) {
        return ErrNotOpen;
    }
    if (Mix_PlayMusic(FMusic, loops) != 0) {
        TSdlAudio::LogFailure("cannot play a sound file");
        return ErrCannotPlay;
    }
    return 0;
}

void TSdlMediaControl::Close() {
    Mix_HaltMusic();
    Mix_FreeMusic(FMusic);
    FMusic = nullptr;
    FData.clear();
    FOpen = false;
}
