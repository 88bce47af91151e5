#pragma once

#include <cstdint>
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

    // The mixer channel kept for the wave player.
    static constexpr int WaveChannel = 0;

private:
    bool FTried = false;
    bool FOpen = false;
};
