#include "platform/SessionSaverFlag.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {

const char* const Service = "org.freedesktop.ScreenSaver";
const char* const Path = "/org/freedesktop/ScreenSaver";
const char* const Interface = "org.freedesktop.ScreenSaver";
// A hung desktop service must not freeze the wizard for long.
constexpr int CallTimeoutMs = 1000;

QDBusMessage Call(const QString& method, const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return {};
    }
    QDBusMessage message = QDBusMessage::createMethodCall(Service, Path, Interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, CallTimeoutMs);
}

}  // namespace

TSessionSaverFlag::~TSessionSaverFlag() {
    UnInhibit();
}

uint32_t TSessionSaverFlag::SetRunning(bool running) {
    const uint32_t old = FRunning ? 1 : 0;
    FRunning = running;
    if (running && FCookie == 0) {
        Inhibit();
    } else if (!running) {
        UnInhibit();
    }
    return old;
}

void TSessionSaverFlag::Inhibit() {
    const QDBusMessage reply =
        Call("Inhibit", {QStringLiteral("Kavro"), QStringLiteral("Screensaver preview")});
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        FCookie = reply.arguments().first().toUInt();
    }
}

void TSessionSaverFlag::UnInhibit() {
    if (FCookie != 0) {
        Call("UnInhibit", {FCookie});
        FCookie = 0;
    }
}
