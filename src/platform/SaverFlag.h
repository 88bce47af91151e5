#pragma once

#include <cstdint>

// The system's screen-saver-running flag: set while one of our own shows plays, so that the
// desktop does not start its screen saver or blank the display over it.
class TSaverFlag {
public:
    virtual ~TSaverFlag() = default;
    // Sets (true) or clears (false) the flag; answers its previous state, 1 or 0.
    virtual uint32_t SetRunning(bool running) = 0;
};
