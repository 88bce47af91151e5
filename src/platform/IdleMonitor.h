#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What the session knows of the user's input: it says when there has been none for a while
// and when input comes again. Sessions that honour idle inhibitors (a video player keeping the
// screen awake) hold back the idle call while one is held.
class TIdleMonitor {
public:
    virtual ~TIdleMonitor() = default;

    // Starts watching: OnIdle once there has been no input for idleMs, then OnActive at the next
    // input, and so on. Answers false when the session does not offer this source.
    virtual bool Start(uint32_t idleMs) = 0;
    // The source's name, for the status and the log.
    virtual std::string Name() const = 0;
    // Counts the idle time afresh from now, as if input had just come: after a show that held the
    // session's idle time off, the input that ended it may have gone unreported. Sources that
    // always see input need nothing.
    virtual void Rearm() {}

    std::function<void()> OnIdle;
    std::function<void()> OnActive;
    // The session went away (its compositor, bus or display).
    std::function<void()> OnLost;
};

// The best source the running session offers, started: the window manager's idle monitor on
// the session bus (GNOME, Cinnamon), then a Wayland idle protocol, then the X server's
// screen-saver extension; none when there is no session. Callbacks set right after it returns
// are in time for the first event.
std::unique_ptr<TIdleMonitor> OpenSessionIdleMonitor(uint32_t idleMs);

// Whether the session has a bus to ask (its address is known, or it lies in the runtime folder).
bool HasSessionBus();
