#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One holder's use of the process's SDL_mixer output. The device is opened by the first holder
// that needs it and closed when the last holder that opened it goes away.
class TSdlAudio {
public:
    TSdlAudio() = default;
    ~TSdlAudio();
    TSdlAudio(const TSdlAudio&) = delete;
    TSdlAudio& operator=(const TSdlAudio&) = delete;

    // Opens the device on this holder's first call and answers whether it is usable. A holder
    // whose first try failed does not try again.
    bool Open();

    // Writes what failed and SDL's reason to stderr as one line, for the first failure of the
    // process only: a machine without sound would otherwise repeat it for every picture show.
    static void LogFailure(const char* what);

    // Reads a whole sound file into data; false for a missing or unreadable file and for
    // anything that is no regular file: a FIFO is refused at once instead of waited on.
    static bool ReadSoundFile(const std::string& fileName, std::vector<uint8_t>& data);

    // Runs call, SDL_mixer calls that take the audio device's lock, waiting for it at most
    // CallDeadline; answers what it answered, or nothing when it did not return in time. A decoder
    // that never returns holds that lock in the audio thread for good; the first call that times
    // out gives the device up for the rest of the process, and every later call is skipped rather
    // than waiting on it, so that stopping a sound always ends. call must own what it uses: it may
    // outlive the caller.
    static std::optional<int> Bounded(std::function<int()> call);
    // Whether a call has timed out: the device is given up.
    static bool GivenUp();
    static constexpr std::chrono::milliseconds CallDeadline{400};

    // The mixer channel kept for the wave player.
    static constexpr int WaveChannel = 0;

private:
    bool FTried = false;
    bool FOpen = false;
};
