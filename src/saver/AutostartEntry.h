#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "saver/WatcherState.h"

// What the user chose for the idle watcher when installing; an option left out keeps the
// earlier choice.
struct TWatchOptions {
    std::optional<int> IdleAfterSeconds;
    std::optional<int> KeepScreenOnMinutes;
    // Starts the watcher at once where a graphical session is there (not in unit tests).
    bool StartNow = true;
};

// The idle watcher's registration with the session: its program and state below the data home,
// the XDG autostart entry that starts it at login (GNOME, KDE, MATE, Xfce, Cinnamon), and the
// running watcher itself, started at once when a graphical session is there and stopped when
// the last show goes. Every failure throws std::runtime_error with a message for the user.
class TAutostartEntry {
public:
    TAutostartEntry(const std::filesystem::path& dataHome,
                    const std::filesystem::path& configHome,
                    const std::filesystem::path& runtime);

    std::filesystem::path EntryPath() const;
    const TWatcherPaths& Paths() const { return FPaths; }

    // Adds the installed show `name` (its saver program at saverProgram) to the shows the
    // watcher serves, the current one when select or when it is the only one; (re)starts the
    // watcher. Answers a line for the user: when the show will start, or what is missing.
    std::string Add(const std::string& name,
                    const std::filesystem::path& saverProgram,
                    bool select,
                    const TWatchOptions& options);
    // Takes the show out; with the last one goes everything Add made, and the watcher stops.
    void Remove(const std::string& name);

    TWatcherState State() const;
    // The delay the watcher uses: the one chosen, else the desktop's default.
    int IdleAfterSeconds() const;
    bool WatcherRunning() const;
    // The running watcher's status line `key` ("source", "playing"); empty when none.
    std::string WatcherStatus(const std::string& key) const;
    // The line a sway or Hyprland configuration needs to start the watcher, empty elsewhere.
    std::string CompositorConfigLine() const;
    // The user's compositor configuration file that CompositorConfigLine belongs in.
    std::filesystem::path CompositorConfigFile() const;

    // Adds CompositorConfigLine to CompositorConfigFile, as the user agreed to; a file that
    // was not there starts as a copy of the system's (which it replaces). The last Remove
    // gives the file back as it was.
    void AddToCompositorConfig(const std::filesystem::path& systemConfig = "/etc/sway/config");

    void StartWatcher() const;
    void StopWatcher() const;

private:
    void Save(const TWatcherState& state) const;
    void RestoreCompositorConfig(const TWatcherState& state) const;
    std::filesystem::path OriginalCompositorConfig() const;
    std::filesystem::path OursCompositorConfig() const;

    TWatcherPaths FPaths;
    std::filesystem::path FConfigHome;
};

// The whole file written through a temporary file in the same folder and a rename.
void WriteFileAtomically(const std::filesystem::path& path,
                         const std::string& bytes,
                         std::filesystem::perms mode);
