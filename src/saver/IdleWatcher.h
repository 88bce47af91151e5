#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TChildProcess;
class TIdleMonitor;
class TSessionInhibitor;
class TTimer;
class TTimerFactory;

// The program line that plays a show full screen on every screen.
struct TShowCommand {
    std::string Program;
    std::vector<std::string> Args;
};

// The watcher's logic: when the session says the user is idle it starts the current show as a
// child process, and when input comes it ends it. It starts nothing while another screensaver
// host runs, and, asked to keep the screen on, holds the session's inhibitor (or has the show
// hold it) while the show plays, for at most the given minutes.
class TIdleWatcher {
public:
    struct TServices {
        TIdleMonitor& Idle;
        TChildProcess& Show;
        TTimerFactory& Timers;
        TSessionInhibitor* Inhibitor = nullptr;
        // Whether another host (the xscreensaver daemon) takes care of idle time itself.
        std::function<bool()> HostRunning;
        // The show to play now; none when nothing is installed any more.
        std::function<std::optional<TShowCommand>()> CurrentShow;
        // Whether only the show's own windows can hold the session's blanking off (a Wayland
        // compositor's idle inhibitor belongs to a surface): the show is then told to, for the
        // keep-on minutes, on its command line.
        bool ShowKeepsScreenOn = false;
    };

    TIdleWatcher(const TServices& services, int keepScreenOnMinutes);
    ~TIdleWatcher();

    bool Playing() const { return FPlaying; }
    // Told each time a show starts or ends.
    std::function<void(bool playing)> OnPlayingChanged;

private:
    void Idle();
    void Active();
    void Exited();
    void SetPlaying(bool playing);

    TServices FServices;
    int FKeepOnMinutes;
    std::unique_ptr<TTimer> FKeepOn;
    bool FPlaying = false;
};
