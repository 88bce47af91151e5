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

    // Alarms on the server's IDLETIME counter (SYNC extension), so that nothing needs asking
    // while the user works; false when the server has no such counter.
    bool OpenAlarms();
    // The connection's socket, readable when an alarm may have come.
    int Fd() const;
    // One alarm once the idle time reaches ms (at once when it already has).
    void AlarmWhenIdle(unsigned long ms);
    // One alarm at the next input.
    void AlarmWhenActive();
    enum TAlarm { NoAlarm, IdleAlarm, ActiveAlarm };
    // The alarms that came since the last call, the latest first (the other is dropped).
    TAlarm TakeAlarm();

private:
    struct TConnection;
    std::unique_ptr<TConnection> FConnection;
};
