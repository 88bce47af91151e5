#include "saver/IdleWatcher.h"

#include "platform/ChildProcess.h"
#include "platform/IdleMonitor.h"
#include "platform/SessionInhibitor.h"
#include "toolkit/Timer.h"

TIdleWatcher::TIdleWatcher(const TServices& services, int keepScreenOnMinutes)
    : FServices(services), FKeepOnMinutes(keepScreenOnMinutes) {
    FKeepOn = FServices.Timers.CreateTimer();
    FKeepOn->SetEnabled(false);
    FKeepOn->OnTimer = [this] {
        // The show may go on; the desktop blanks and locks over it at its own time.
        FKeepOn->SetEnabled(false);
        if (FServices.Inhibitor) {
            FServices.Inhibitor->Release();
        }
    };
    FServices.Idle.OnIdle = [this] { Idle(); };
    FServices.Idle.OnActive = [this] { Active(); };
    FServices.Show.OnExited = [this] { Exited(); };
}

TIdleWatcher::~TIdleWatcher() {
    FServices.Idle.OnIdle = nullptr;
    FServices.Idle.OnActive = nullptr;
    FServices.Show.OnExited = nullptr;
    if (FServices.Inhibitor) {
        FServices.Inhibitor->Release();
    }
}

void TIdleWatcher::Idle() {
    if (FServices.Show.Running()) {
        return;
    }
    if (FServices.HostRunning && FServices.HostRunning()) {
        return;
    }
    const std::optional<TShowCommand> show =
        FServices.CurrentShow ? FServices.CurrentShow() : std::nullopt;
    if (!show) {
        return;
    }
    std::vector<std::string> args = show->Args;
    if (FKeepOnMinutes > 0 && FServices.ShowKeepsScreenOn) {
        args.insert(args.end(), {"--keep-screen-on", std::to_string(FKeepOnMinutes)});
    }
    if (!FServices.Show.Start(show->Program, args)) {
        return;
    }
    if (FKeepOnMinutes > 0 && FServices.Inhibitor &&
        FServices.Inhibitor->Hold("正在放映屏幕保护")) {
        FKeepOn->SetInterval(static_cast<uint32_t>(FKeepOnMinutes) * 60000u);
        FKeepOn->SetEnabled(true);
    }
    SetPlaying(true);
}

void TIdleWatcher::Active() {
    if (FServices.Show.Running()) {
        FServices.Show.Stop();
    }
}

void TIdleWatcher::Exited() {
    // A show that held the compositor's idle time off may have been ended by input the
    // compositor never reported: the next idle period counts from its end.
    if (FKeepOnMinutes > 0 && FServices.ShowKeepsScreenOn) {
        FServices.Idle.Rearm();
    }
    FKeepOn->SetEnabled(false);
    if (FServices.Inhibitor) {
        FServices.Inhibitor->Release();
    }
    SetPlaying(false);
}

void TIdleWatcher::SetPlaying(bool playing) {
    if (FPlaying == playing) {
        return;
    }
    FPlaying = playing;
    if (OnPlayingChanged) {
        OnPlayingChanged(playing);
    }
}
