#pragma once

#include <memory>

// A connection to the X server of $DISPLAY for its MIT-SCREEN-SAVER extension, kept apart from
// Qt's headers, which Xlib's macros break.
class TXssDisplay {
public:
    TXssDisplay();
    ~TXssDisplay();
    TXssDisplay(const TXssDisplay&) = delete;
    TXssDisplay& operator=(const TXssDisplay&) = delete;

    // Connects; false when there is no display or it lacks the extension.
    bool Open();
    // The time since the last input in ms, and whether a client has suspended the screen saver
    // (a video player); false when the server no longer answers.
    bool Query(unsigned long& idleMs, bool& suspended);
    // Suspends the server's screen saver and power saving, or lets them go again.
    void Suspend(bool suspend);

private:
    struct TConnection;
    std::unique_ptr<TConnection> FConnection;
};
