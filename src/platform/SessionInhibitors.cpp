#include "platform/SessionInhibitors.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdlib>

#include "platform/IdleMonitor.h"

namespace {

constexpr uint IdleFlag = 8;

bool Registered(const char* service) {
    if (!HasSessionBus()) {
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(service).value();
}

}  // namespace

QDBusMessage TDBusSessionInhibitor::Call(const char* gnomeMethod,
                                         const char* screenSaverMethod) const {
    return FGnome ? QDBusMessage::createMethodCall("org.gnome.SessionManager",
                                                   "/org/gnome/SessionManager",
                                                   "org.gnome.SessionManager",
                                                   gnomeMethod)
                  : QDBusMessage::createMethodCall("org.freedesktop.ScreenSaver",
                                                   "/org/freedesktop/ScreenSaver",
                                                   "org.freedesktop.ScreenSaver",
                                                   screenSaverMethod);
}

bool TDBusSessionInhibitor::Hold(const std::string& reason) {
    if (FCookie) {
        return true;
    }
    QDBusMessage call = Call("Inhibit", "Inhibit");
    const QString why = QString::fromStdString(reason);
    if (FGnome) {
        call.setArguments({QStringLiteral("kavro"), 0u, why, IdleFlag});
    } else {
        call.setArguments({QStringLiteral("kavro"), why});
    }
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return false;
    }
    FCookie = reply.arguments().first().toUInt();
    return FCookie != 0;
}

void TDBusSessionInhibitor::Release() {
    if (!FCookie) {
        return;
    }
    QDBusMessage call = Call("Uninhibit", "UnInhibit");
    call.setArguments({FCookie});
    QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    FCookie = 0;
}

TXssSessionInhibitor::~TXssSessionInhibitor() {
    Release();
}

bool TXssSessionInhibitor::Hold(const std::string&) {
    if (!FDisplay.Open()) {
        return false;
    }
    if (!FHeld) {
        FDisplay.Suspend(true);
        FHeld = true;
    }
    return true;
}

void TXssSessionInhibitor::Release() {
    if (FHeld) {
        FDisplay.Suspend(false);
    }
    FHeld = false;
}

std::unique_ptr<TSessionInhibitor> OpenSessionInhibitor() {
    if (Registered("org.gnome.SessionManager")) {
        return std::make_unique<TDBusSessionInhibitor>(true);
    }
    if (Registered("org.freedesktop.ScreenSaver")) {
        return std::make_unique<TDBusSessionInhibitor>(false);
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* display = std::getenv("DISPLAY");
    if ((!wayland || !*wayland) && display && *display) {
        return std::make_unique<TXssSessionInhibitor>();
    }
    return nullptr;
}
