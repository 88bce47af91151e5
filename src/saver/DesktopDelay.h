#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Where the desktop keeps its own idle delay (after which it blanks and locks), and what we make
// of it: the show starts at half of it, so that the desktop's lock still comes at its time.
struct TDesktopSettings {
    std::string CurrentDesktop;        // $XDG_CURRENT_DESKTOP, e.g. "GNOME" or "ubuntu:GNOME"
    std::filesystem::path ConfigHome;  // $XDG_CONFIG_HOME or ~/.config
    // `gsettings get schema key`'s answer, or nothing when there is no such setting.
    std::function<std::optional<std::string>(const std::string& schema, const std::string& key)>
        GSetting;

    static TDesktopSettings FromProcess();
};

// The desktop's name as the installer window says it ("GNOME", "KDE", "MATE", "Xfce",
// "Cinnamon", "sway", "Hyprland"), or empty when unknown.
std::string DesktopName(const TDesktopSettings& desktop);
// The desktop's idle delay in seconds; nothing when it is unknown or switched off.
std::optional<int> DesktopIdleDelaySeconds(const TDesktopSettings& desktop);
// Half of the desktop's delay, at least a minute; half of five minutes when it is unknown.
int DefaultIdleAfterSeconds(const TDesktopSettings& desktop);
