#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the installed shows tell the one idle watcher that serves them all, kept in
// <data home>/kavro/watcher.conf as "key=value" lines: the installed shows in the order they
// were installed, the one the user chose last, the idle delay and the keep-on time the user
// chose, and the folders the first install had to create.
struct TWatcherState {
    std::vector<std::string> Shows;  // folder names below kavro/savers/, oldest first
    std::string Selected;            // chosen with --select; empty for none
    std::optional<int> IdleAfterSeconds;
    int KeepScreenOnMinutes = 0;
    std::vector<std::string> Created;  // folders to remove again, when empty, at the end
    // The compositor configuration the user let us add the watcher's line to, and whether it
    // was there before (then its bytes are kept beside this file).
    std::string CompositorConfig;
    bool CompositorConfigExisted = false;

    // The show that plays: the one chosen last while it is installed, else the newest.
    std::string Current() const;
    // Adds the show as the newest (moving it when it was there); select makes it chosen.
    void Add(const std::string& name, bool select);
    // Takes the show out; the chosen one falls back to the newest left.
    void Remove(const std::string& name);

    static TWatcherState Parse(const std::string& text);
    std::string Text() const;
};

// Where the watcher and its installer meet.
struct TWatcherPaths {
    std::filesystem::path DataHome;  // $XDG_DATA_HOME or ~/.local/share
    std::filesystem::path Runtime;   // $XDG_RUNTIME_DIR, or a folder of the user's in /tmp

    std::filesystem::path Root() const { return DataHome / "kavro"; }
    std::filesystem::path Config() const { return Root() / "watcher.conf"; }
    // The saver program that runs as the watcher (with --watch).
    std::filesystem::path Program() const { return Root() / "kavro-saver"; }
    std::filesystem::path ShowFolder(const std::string& name) const {
        return Root() / "savers" / name;
    }
    // Held locked by the running watcher; holds its process id.
    std::filesystem::path Lock() const { return Runtime / "kavro-watcher.lock"; }
    // The running watcher's "key: value" lines: its idle source, whether a show plays.
    std::filesystem::path Status() const { return Runtime / "kavro-watcher.status"; }

    static TWatcherPaths FromProcess();
};

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
