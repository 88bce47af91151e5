#include "saver/ShowStatus.h"

#include "pack/InstallerReader.h"
#include "saver/DesktopDelay.h"
#include "saver/ShowInstaller.h"

std::string StatusText(const TShowInstaller& installer) {
    const TInstallEnvironment& env = installer.Environment();
    const TAutostartEntry watcher = installer.Watcher();
    const TWatcherState state = watcher.State();

    std::string hosts;
    if (env.HostInstalled && env.HostInstalled()) {
        hosts = env.HostRunning && env.HostRunning() ? "xscreensaver (running)"
                                                     : "xscreensaver (not running)";
    }
    const std::string configLine = watcher.CompositorConfigLine();
    hosts += std::string(hosts.empty() ? "" : ", ") + "idle watcher (" +
             (configLine.empty() ? "autostart" : "needs: " + configLine) + ")";

    std::string current = "none";
    if (!state.Current().empty()) {
        current = state.Current();
        try {
            TInstallerReader reader;
            reader.Open((watcher.Paths().ShowFolder(current) / "show.run").string());
            current = reader.Title() + " (" + state.Current() + ")";
        } catch (const std::exception&) {
            // the folder name alone says which one it is
        }
    }
    const std::string desktop = DesktopName(TDesktopSettings::FromProcess());
    const bool running = watcher.WatcherRunning();
    const std::string source = watcher.WatcherStatus("source");
    return "hosts: " + hosts + "\n" + "desktop: " + (desktop.empty() ? "unknown" : desktop) + "\n" +
           "installed: " + (installer.IsInstalled() ? "yes" : "no") + "\n" + "current: " + current +
           "\n" + "idle-after: " + std::to_string(watcher.IdleAfterSeconds()) + "\n" +
           "keep-screen-on: " + std::to_string(state.KeepScreenOnMinutes) + "\n" + "watcher: " +
           (running ? "running" + (source.empty() ? "" : " (" + source + ")") : "not running") +
           "\n" + "playing: " + (watcher.WatcherStatus("playing") == "yes" ? "yes" : "no") + "\n";
}
