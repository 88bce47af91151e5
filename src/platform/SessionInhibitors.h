#pragma once

#include <QString>
#include <memory>

#include "platform/SessionInhibitor.h"
#include "platform/XssDisplay.h"

class QDBusMessage;

// The inhibitor of a session manager on the session bus: GNOME's
// org.gnome.SessionManager.Inhibit with the idle flag, or org.freedesktop.ScreenSaver.Inhibit
// (KDE and others). Either dies with our bus connection.
class TDBusSessionInhibitor : public TSessionInhibitor {
public:
    // gnome: the GNOME session manager, else org.freedesktop.ScreenSaver.
    explicit TDBusSessionInhibitor(bool gnome) : FGnome(gnome) {}
    ~TDBusSessionInhibitor() override { Release(); }
    bool Hold(const std::string& reason) override;
    void Release() override;

private:
    // A call of the session manager's method, or of the screen saver's.
    QDBusMessage Call(const char* gnomeMethod, const char* screenSaverMethod) const;

    bool FGnome;
    uint FCookie = 0;
};

// The X server's own screen saver and power saving, suspended for as long as we ask.
class TXssSessionInhibitor : public TSessionInhibitor {
public:
    ~TXssSessionInhibitor() override;
    bool Hold(const std::string& reason) override;
    void Release() override;

private:
    TXssDisplay FDisplay;
    bool FHeld = false;
};

// The inhibitor the running session offers; none where it offers none to a program without a
// window (a Wayland compositor's inhibitor needs a surface).
std::unique_ptr<TSessionInhibitor> OpenSessionInhibitor();
