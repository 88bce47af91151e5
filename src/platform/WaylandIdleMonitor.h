#pragma once

#include <memory>

#include "platform/IdleMonitor.h"

class QSocketNotifier;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

// The compositor's idle notifications over the Wayland connection of $WAYLAND_DISPLAY: the
// standard ext_idle_notifier_v1 where the compositor has it, else KDE's org_kde_kwin_idle
// (which wlroots compositors such as sway 1.7 offer).
class TWaylandIdleMonitor : public TIdleMonitor {
public:
    TWaylandIdleMonitor();
    ~TWaylandIdleMonitor() override;

    bool Start(uint32_t idleMs) override;
    std::string Name() const override;
    void Rearm() override;

    // Called by the protocol listeners.
    void Global(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void Idled();
    void Resumed();

private:
    void Dispatch();
    // Asks the compositor for a notification after idleMs without input, from now.
    void Watch();

    wl_display* FDisplay = nullptr;
    wl_registry* FRegistry = nullptr;
    wl_seat* FSeat = nullptr;
    ext_idle_notifier_v1* FNotifier = nullptr;
    ext_idle_notification_v1* FNotification = nullptr;
    org_kde_kwin_idle* FKdeIdle = nullptr;
    org_kde_kwin_idle_timeout* FKdeTimeout = nullptr;
    std::unique_ptr<QSocketNotifier> FReadable;
    uint32_t FIdleMs = 0;
};
