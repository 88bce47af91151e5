#pragma once

#include <cstdint>

#include "platform/SaverFlag.h"

// Keeps the flag and, while it is set, holds an inhibition of the desktop's screen saver and
// idle blanking through org.freedesktop.ScreenSaver on the session bus. Without a session bus or
// without that service the flag is only kept.
class TSessionSaverFlag : public TSaverFlag {
public:
    TSessionSaverFlag() = default;
    ~TSessionSaverFlag() override;
    TSessionSaverFlag(const TSessionSaverFlag&) = delete;
    TSessionSaverFlag& operator=(const TSessionSaverFlag&) = delete;

    uint32_t SetRunning(bool running) override;

    // The cookie of the inhibition held now; 0 when none.
    uint32_t Cookie() const { return FCookie; }

private:
    void Inhibit();
    void UnInhibit();

    bool FRunning = false;
    uint32_t FCookie = 0;
};
