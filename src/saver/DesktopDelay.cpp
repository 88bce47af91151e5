#include "saver/DesktopDelay.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int UnknownDelaySeconds = 300;

bool Has(const std::string& desktops, const std::string& name) {
    std::istringstream parts(desktops);
    std::string part;
    while (std::getline(parts, part, ':')) {
        std::string lower = part, wanted = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        std::transform(wanted.begin(), wanted.end(), wanted.begin(), ::tolower);
        if (lower == wanted) {
            return true;
        }
    }
    return false;
}

// The last whole number in a gsettings answer such as "uint32 300" or "5".
std::optional<int> Number(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    std::istringstream words(*text);
    std::string word;
    std::optional<int> value;
    while (words >> word) {
        if (!word.empty() && std::all_of(word.begin(), word.end(), ::isdigit) && word.size() < 9) {
            value = std::atoi(word.c_str());
        }
    }
    return value;
}

// [Daemon] Timeout= of kscreenlockerrc, in minutes.
std::optional<int> KdeTimeoutMinutes(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    bool daemon = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            daemon = line.rfind("[Daemon]", 0) == 0;
        } else if (daemon && line.rfind("Timeout=", 0) == 0) {
            return Number(line.substr(8));
        }
    }
    return std::nullopt;
}

std::optional<std::string> RunGSettings(const std::string& schema, const std::string& key) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"gsettings", "get", schema.c_str(), key.c_str(), nullptr};
    pid_t pid = 0;
    const int failed =
        posix_spawnp(&pid, "gsettings", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[256];
    ssize_t n = 0;
    while (failed == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    if (failed != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

TDesktopSettings TDesktopSettings::FromProcess() {
    TDesktopSettings desktop;
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    desktop.CurrentDesktop = current ? current : "";
    // Compositors that leave the variable unset still say who they are.
    if (desktop.CurrentDesktop.empty() && std::getenv("SWAYSOCK")) {
        desktop.CurrentDesktop = "sway";
    } else if (desktop.CurrentDesktop.empty() && std::getenv("HYPRLAND_INSTANCE_SIGNATURE")) {
        desktop.CurrentDesktop = "Hyprland";
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    desktop.ConfigHome = config && *config == '/'
                             ? fs::path(config)
                             : fs::path(home && *home ? home : "/") / ".config";
    desktop.GSetting = RunGSettings;
    return desktop;
}

std::string DesktopName(const TDesktopSettings& desktop) {
    for (const char* name : {"GNOME", "KDE", "MATE", "XFCE", "sway", "Hyprland"}) {
        if (Has(desktop.CurrentDesktop, name)) {
            return std::string(name) == "XFCE" ? "Xfce" : name;
        }
    }
    if (Has(desktop.CurrentDesktop, "X-Cinnamon") || Has(desktop.CurrentDesktop, "Cinnamon")) {
        return "Cinnamon";
    }
    return "";
}

std::optional<int> DesktopIdleDelaySeconds(const TDesktopSettings& desktop) {
    const std::string name = DesktopName(desktop);
    std::optional<int> seconds;
    auto setting = [&](const char* schema) {
        return desktop.GSetting ? desktop.GSetting(schema, "idle-delay") : std::nullopt;
    };
    if (name == "GNOME") {
        seconds = Number(setting("org.gnome.desktop.session"));
    } else if (name == "Cinnamon") {
        seconds = Number(setting("org.cinnamon.desktop.session"));
    } else if (name == "MATE") {
        if (const auto minutes = Number(setting("org.mate.session"))) {
            seconds = *minutes * 60;
        }
    } else if (name == "KDE") {
        if (const auto minutes = KdeTimeoutMinutes(desktop.ConfigHome / "kscreenlockerrc")) {
            seconds = *minutes * 60;
        }
    }
    // 0 is the desktop's "never".
    return seconds && *seconds > 0 ? seconds : std::nullopt;
}

int DefaultIdleAfterSeconds(const TDesktopSettings& desktop) {
    return std::max(60, DesktopIdleDelaySeconds(desktop).value_or(UnknownDelaySeconds) / 2);
}
