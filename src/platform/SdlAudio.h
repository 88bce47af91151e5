#pragma once

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

    // The mixer channel kept for the wave player.
    static constexpr int WaveChannel = 0;

private:
    bool FTried = false;
    bool FOpen = false;
};
