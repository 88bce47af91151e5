#include "saver/WatcherState.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

std::string TWatcherState::Current() const {
    if (!Selected.empty() && std::find(Shows.begin(), Shows.end(), Selected) != Shows.end()) {
        return Selected;
    }
    return Shows.empty() ? std::string() : Shows.back();
}

void TWatcherState::Add(const std::string& name, bool select) {
    Shows.erase(std::remove(Shows.begin(), Shows.end(), name), Shows.end());
    Shows.push_back(name);
    if (select) {
        Selected = name;
    }
}

void TWatcherState::Remove(const std::string& name) {
    Shows.erase(std::remove(Shows.begin(), Shows.end(), name), Shows.end());
    if (Selected == name) {
        Selected.clear();
    }
}

TWatcherState TWatcherState::Parse(const std::string& text) {
    TWatcherState state;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "show" && !value.empty()) {
            state.Shows.push_back(value);
        } else if (key == "selected") {
            state.Selected = value;
        } else if (key == "idle-after") {
            const int seconds = std::atoi(value.c_str());
            if (seconds > 0) {
                state.IdleAfterSeconds = seconds;
            }
        } else if (key == "keep-screen-on") {
            state.KeepScreenOnMinutes = std::max(0, std::atoi(value.c_str()));
        } else if (key == "created" && !value.empty()) {
            state.Created.push_back(value);
        } else if (key == "compositor-config") {
            state.CompositorConfig = value;
        } else if (key == "compositor-config-existed") {
            state.CompositorConfigExisted = value == "1";
        }
    }
    return state;
}

std::string TWatcherState::Text() const {
    std::string text;
    for (const std::string& show : Shows) {
        text += "show=" + show + "\n";
    }
    if (!Selected.empty()) {
        text += "selected=" + Selected + "\n";
    }
    if (IdleAfterSeconds) {
        text += "idle-after=" + std::to_string(*IdleAfterSeconds) + "\n";
    }
    if (KeepScreenOnMinutes > 0) {
        text += "keep-screen-on=" + std::to_string(KeepScreenOnMinutes) + "\n";
    }
    for (const std::string& folder : Created) {
        text += "created=" + folder + "\n";
    }
    if (!CompositorConfig.empty()) {
        text += "compositor-config=" + CompositorConfig + "\n";
        text += std::string("compositor-config-existed=") + (CompositorConfigExisted ? "1" : "0") +
                "\n";
    }
    return text;
}

TWatcherPaths TWatcherPaths::FromProcess() {
    TWatcherPaths paths;
    const char* home = std::getenv("HOME");
    const char* data = std::getenv("XDG_DATA_HOME");
    paths.DataHome = data && *data == '/' ? fs::path(data)
                                          : fs::path(home && *home ? home : "/") / ".local/share";
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    paths.Runtime = runtime && *runtime == '/'
                        ? fs::path(runtime)
                        : fs::path("/tmp") / ("kavro-" + std::to_string(getuid()));
    return paths;
}

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
