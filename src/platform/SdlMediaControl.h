#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/MediaControl.h"
#include "platform/SdlAudio.h"

struct _Mix_Music;

// Media control on SDL_mixer's music stream. Understands the commands of the sound player only:
// "open \"<file>\" alias mp wait", "play mp", "play mp repeat", "stop mp" and "close mp"; anything
// else answers ErrUnknownCommand. The file is recognised by its content, so a misnamed file plays
// as what it is. Make one per process: SDL_mixer has one music stream.
class TSdlMediaControl : public TMediaControl {
public:
    static constexpr int ErrUnknownCommand = 1;
    static constexpr int ErrNotOpen = 2;
    static constexpr int ErrAliasInUse = 3;
    static constexpr int ErrNoDevice = 4;
    static constexpr int ErrCannotRead = 5;
    static constexpr int ErrCannotDecode = 6;
    static constexpr int ErrCannotPlay = 7;

    TSdlMediaControl() = default;
    ~TSdlMediaControl() override;
    TSdlMediaControl(const TSdlMediaControl&) = delete;
    TSdlMediaControl& operator=(const TSdlMediaControl&) = delete;

    int SendString(const std::string& command) override;

private:
    int Open(const std::string& fileName);
    int Play(int loops);
    void Close();

    TSdlAudio FAudio;
    bool FOpen = false;
    _Mix_Music* FMusic = nullptr;
    // The file's bytes; the music may read them for as long as it lives.
    std::vector<uint8_t> FData;
};

// The MIDI data inside a RIFF 'RMID' file (its "data" chunk, cut to the bytes present), or all of
// data when it is no such file. A RIFF 'RMID' file without a "data" chunk gives nothing.
std::span<const uint8_t> RmidMidiData(std::span<const uint8_t> data);
