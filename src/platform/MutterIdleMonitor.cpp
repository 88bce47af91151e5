#include "platform/MutterIdleMonitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>

TMutterIdleMonitor::TMutterIdleMonitor(const QString& service) : FService(service) {
    // org.gnome.Mutter.IdleMonitor lives at /org/gnome/Mutter/IdleMonitor/Core.
    FPath = "/" + QString(service).replace('.', '/') + "/Core";
}

TMutterIdleMonitor::~TMutterIdleMonitor() {
    if (FIdleWatch) {
        Call("RemoveWatch", {FIdleWatch});
    }
    if (FActiveWatch) {
        Call("RemoveWatch", {FActiveWatch});
    }
}

bool TMutterIdleMonitor::Call(const char* method, const QVariantList& args, uint* answer) {
    QDBusMessage message = QDBusMessage::createMethodCall(FService, FPath, FService, method);
    message.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        return false;
    }
    if (answer) {
        if (reply.arguments().isEmpty()) {
            return false;
        }
        *answer = reply.arguments().first().toUInt();
    }
    return true;
}

bool TMutterIdleMonitor::Start(uint32_t idleMs) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(FService).value()) {
        return false;
    }
    // The signal goes only to the caller that added the watch; listen before adding it, as a
    // watch added when the session is already idle fires at once.
    bus.connect(FService, FPath, FService, "WatchFired", this, SLOT(WatchFired(uint)));
    if (!Call("AddIdleWatch", {QVariant::fromValue<qulonglong>(idleMs)}, &FIdleWatch)) {
        return false;
    }
    auto* watcher =
        new QDBusServiceWatcher(FService, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(
        watcher, &QDBusServiceWatcher::serviceUnregistered, this, &TMutterIdleMonitor::ServiceGone);
    return true;
}

void TMutterIdleMonitor::WatchFired(uint id) {
    if (id == FIdleWatch && FIdleWatch != 0) {
        // The active watch fires once, at the next input; the idle watch re-arms by itself.
        Call("AddUserActiveWatch", {}, &FActiveWatch);
        if (OnIdle) {
            OnIdle();
        }
    } else if (id == FActiveWatch && FActiveWatch != 0) {
        FActiveWatch = 0;
        if (OnActive) {
            OnActive();
        }
    }
}

void TMutterIdleMonitor::ServiceGone() {
    FIdleWatch = FActiveWatch = 0;
    if (OnLost) {
        OnLost();
    }
}
