#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "saver/AutostartEntry.h"

class TInstallerReader;

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
    bool IsInstalled() const;

    // Installs or reinstalls; with select the show becomes the current saver (mode one), and
    // the previous mode and selection are kept for Uninstall. Answers what happened.
    std::string Install(bool select);
    // Removes what Install made; harmless when nothing is installed. Answers what happened.
    std::string Uninstall();

    // The idle watcher's registration, for every installed show.
    TAutostartEntry Watcher() const;
    const TInstallEnvironment& Environment() const { return FEnv; }

private:
    std::string Title() const;

    const TInstallerReader& FReader;
    TInstallEnvironment FEnv;
};
