#include "platform/WaylandIdleMonitor.h"

#include <wayland-client.h>

#include <QSocketNotifier>
#include <cstring>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace {

void OnGlobal(
    void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    static_cast<TWaylandIdleMonitor*>(data)->Global(registry, name, interface, version);
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener RegistryListener = {OnGlobal, OnGlobalRemove};

void OnExtIdled(void* data, ext_idle_notification_v1*) {
    static_cast<TWaylandIdleMonitor*>(data)->Idled();
}

void OnExtResumed(void* data, ext_idle_notification_v1*) {
    static_cast<TWaylandIdleMonitor*>(data)->Resumed();
}

const ext_idle_notification_v1_listener ExtListener = {OnExtIdled, OnExtResumed};

void OnKdeIdle(void* data, org_kde_kwin_idle_timeout*) {
    static_cast<TWaylandIdleMonitor*>(data)->Idled();
}

void OnKdeResumed(void* data, org_kde_kwin_idle_timeout*) {
    static_cast<TWaylandIdleMonitor*>(data)->Resumed();
}

const org_kde_kwin_idle_timeout_listener KdeListener = {OnKdeIdle, OnKdeResumed};

}  // namespace

TWaylandIdleMonitor::TWaylandIdleMonitor() = default;

TWaylandIdleMonitor::~TWaylandIdleMonitor() {
    FReadable.reset();
    if (FNotification) {
        ext_idle_notification_v1_destroy(FNotification);
    }
    if (FNotifier) {
        ext_idle_notifier_v1_destroy(FNotifier);
    }
    if (FKdeTimeout) {
        org_kde_kwin_idle_timeout_release(FKdeTimeout);
    }
    if (FKdeIdle) {
        org_kde_kwin_idle_destroy(FKdeIdle);
    }
    if (FSeat) {
        wl_seat_destroy(FSeat);
    }
    if (FRegistry) {
        wl_registry_destroy(FRegistry);
    }
    if (FDisplay) {
        wl_display_disconnect(FDisplay);
    }
}

std::string TWaylandIdleMonitor::Name() const {
    return FKdeTimeout ? "org_kde_kwin_idle" : "ext_idle_notifier_v1";
}

void TWaylandIdleMonitor::Global(wl_registry* registry,
                                 uint32_t name,
                                 const char* interface,
                                 uint32_t version) {
    (void)version;
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !FSeat) {
        FSeat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
        FNotifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
        FKdeIdle = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
}

bool TWaylandIdleMonitor::Start(uint32_t idleMs) {
    FDisplay = wl_display_connect(nullptr);
    if (!FDisplay) {
        return false;
    }
    FRegistry = wl_display_get_registry(FDisplay);
    wl_registry_add_listener(FRegistry, &RegistryListener, this);
    if (wl_display_roundtrip(FDisplay) < 0 || !FSeat || (!FNotifier && !FKdeIdle)) {
        return false;
    }
    FIdleMs = idleMs;
    Watch();
    if (wl_display_flush(FDisplay) < 0) {
        return false;
    }
    FReadable =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(FDisplay), QSocketNotifier::Read);
    QObject::connect(FReadable.get(), &QSocketNotifier::activated, [this] { Dispatch(); });
    return true;
}

void TWaylandIdleMonitor::Watch() {
    if (FNotifier) {
        FNotification = ext_idle_notifier_v1_get_idle_notification(FNotifier, FIdleMs, FSeat);
        ext_idle_notification_v1_add_listener(FNotification, &ExtListener, this);
    } else {
        FKdeTimeout = org_kde_kwin_idle_get_idle_timeout(FKdeIdle, FSeat, FIdleMs);
        org_kde_kwin_idle_timeout_add_listener(FKdeTimeout, &KdeListener, this);
    }
}

// A compositor whose idle timers were held off by an inhibitor (sway 1.7) counts the session as
// idle still, and says nothing of the input that came meanwhile: a new notification counts from
// now.
void TWaylandIdleMonitor::Rearm() {
    if (!FDisplay || (!FNotification && !FKdeTimeout)) {
        return;
    }
    if (FNotification) {
        ext_idle_notification_v1_destroy(FNotification);
        FNotification = nullptr;
    } else {
        org_kde_kwin_idle_timeout_release(FKdeTimeout);
        FKdeTimeout = nullptr;
    }
    Watch();
    wl_display_flush(FDisplay);
}

void TWaylandIdleMonitor::Dispatch() {
    // The socket is readable: this reads without waiting and runs the listeners.
    if (wl_display_dispatch(FDisplay) < 0) {
        FReadable->setEnabled(false);
        if (OnLost) {
            OnLost();
        }
        return;
    }
    wl_display_flush(FDisplay);
}

void TWaylandIdleMonitor::Idled() {
    if (OnIdle) {
        OnIdle();
    }
}

void TWaylandIdleMonitor::Resumed() {
    if (OnActive) {
        OnActive();
    }
}
