#pragma once

#include <SDL_mixer.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/MediaControl.h"
#include "platform/SdlAudio.h"

// Media control on SDL_mixer's music stream. Understands the commands of the sound player only:
// "open \"<file>\" alias mp wait", "play mp", "play mp repeat", "stop mp" and "close mp"; anything
// else answers ErrUnknownCommand. The file is recognised by its content, so a misnamed file plays
// as what it is. Every call into the mixer is bounded (see TSdlAudio::Bounded), so no command
// hangs whatever the sound does. Make one per process: SDL_mixer has one music stream.
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

    // How long a repeated MIDI pass lasts at the least: one with nothing to play starts again
    // no sooner than this after it started.
    static constexpr std::chrono::milliseconds MidiPassMinimum{1000};

private:
    int Open(const std::string& fileName);
    int Play(int loops);
    void Halt();
    void Close();
    // The repeating of a MIDI file: the synthesizer, asked to loop by itself, spins without end in
    // the audio thread on a song with nothing to play; it plays each pass once instead, and this
    // thread starts the next pass when one has ended.
    void RepeatMidi();
    void StopRepeating();

    TSdlAudio FAudio;
    bool FOpen = false;
    Mix_Music* FMusic = nullptr;
    Mix_MusicType FType = MUS_NONE;
    std::thread FRepeater;
    // Guards FRepeat, FQuit and FPassStart against the repeater; held around the mixer calls of
    // both threads.
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FRepeat = false;
    bool FQuit = false;
    std::chrono::steady_clock::time_point FPassStart;
    // The file's bytes; the music may read them for as long as it lives.
    std::vector<uint8_t> FData;
};

// The decoder that a sound's first bytes call for: MUS_MID ("MThd"), MUS_WAV ("RIFF....WAVE") or
// MUS_MP3 (an ID3 tag or an MPEG audio layer III frame header); MUS_NONE for anything else.
Mix_MusicType MusicTypeOf(std::span<const uint8_t> data);

// The MIDI data inside a RIFF 'RMID' file (its "data" chunk, cut to the bytes present), or all of
// data when it is no such file. A RIFF 'RMID' file without a "data" chunk gives nothing.
std::span<const uint8_t> RmidMidiData(std::span<const uint8_t> data);
