#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "saver/AutostartEntry.h"

class TInstallerReader;
class TXScreensaverConfig;

// What an installation touches outside the show file, so that tests can point it elsewhere.
struct TInstallEnvironment {
    std::filesystem::path Home;      // holds .xscreensaver
    std::filesystem::path DataHome;  // holds kavro/savers/<name>/ and applications/
    bool Root = false;
    std::string IconPng;  // the menu entry's icon; none when empty
    std::function<bool()> HostInstalled;
    std::function<bool()> HostRunning;
    // The idle watcher's side: autostart/ below ConfigHome, its lock and status in Runtime.
    std::filesystem::path ConfigHome;
    std::filesystem::path Runtime;
    TWatchOptions Watch;

    // $HOME, $XDG_DATA_HOME (or ~/.local/share), $XDG_CONFIG_HOME (or ~/.config),
    // $XDG_RUNTIME_DIR, the effective user, and the real host checks.
    static TInstallEnvironment FromProcess();
};

// Installs the show of an installer file as an xscreensaver saver of the user (no root needed):
// the saver program and the show file into DataHome/kavro/savers/<name>/, a line in the
// programs: of ~/.xscreensaver, and a menu entry that plays the show; and removes them again.
// Every failure throws std::runtime_error with a message for the user.
class TShowInstaller {
public:
    // The reader is borrowed.
    TShowInstaller(const TInstallerReader& reader, TInstallEnvironment environment);

    // The folder's name: the title's letters and digits a shell and any file system take as
    // they are, and a hash of the whole title, so that Chinese titles differ too.
    std::string Name() const;
    std::filesystem::path Folder() const;
    std::filesystem::path SaverPath() const { return Folder() / "kavro-saver"; }
    std::filesystem::path ShowPath() const { return Folder() / "show.run"; }
    std::filesystem::path MenuEntryPath() const;
    // Whether there is anything for Uninstall to remove: the folder's programs or the entry.
    bool IsInstalled() const;

    // Installs or reinstalls; with select the show becomes the current saver (mode one), and
    // the user's own mode and selection are kept in ~/.xscreensaver for Uninstall. Answers
    // what happened; a failure leaves no part of a new installation behind. Installs and
    // uninstalls of any show take turns.
    std::string Install(bool select);
    // Removes what Install made, from ~/.xscreensaver even when the folders are gone; gives
    // back the user's mode and selection when this show was the selected one. Harmless when
    // nothing is installed. Answers what happened.
    std::string Uninstall();

    // The idle watcher's registration, for every installed show.
    TAutostartEntry Watcher() const;
    const TInstallEnvironment& Environment() const { return FEnv; }

private:
    std::string Title() const;
    std::filesystem::path ConfigPath() const;
    // What the show's entry in programs: holds and nothing else does.
    std::string Needle() const;
    // ~/.xscreensaver, or nothing when there is none; throws when it is read-only.
    std::optional<std::string> ReadConfig() const;
    void WriteConfig(const std::optional<std::string>& old,
                     const TXScreensaverConfig& config) const;
    // The file with the show added (and selected), checked to read back so; throws otherwise.
    TXScreensaverConfig Registered(const std::optional<std::string>& old,
                                   bool select,
                                   int& index) const;
    // The folder's files and the menu entry.
    void WriteFiles() const;
    // Takes the show out of ~/.xscreensaver; answers whether it was there.
    bool Unregister() const;

    const TInstallerReader& FReader;
    TInstallEnvironment FEnv;
};
