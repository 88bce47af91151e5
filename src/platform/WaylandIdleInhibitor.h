#pragma once

#include <cstdint>
#include <vector>

#include "platform/WindowIdleInhibitor.h"

struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct zwp_idle_inhibit_manager_v1;
struct zwp_idle_inhibitor_v1;

// The compositor's zwp_idle_inhibit_manager_v1 (sway, KWin and other wlroots compositors), on
// the application's own Wayland connection: each window held gets an inhibitor on its surface.
// Holds nothing outside Wayland or where the compositor lacks the protocol.
class TWaylandIdleInhibitor : public TWindowIdleInhibitor {
public:
    TWaylandIdleInhibitor() = default;
    ~TWaylandIdleInhibitor() override;
    TWaylandIdleInhibitor(const TWaylandIdleInhibitor&) = delete;
    TWaylandIdleInhibitor& operator=(const TWaylandIdleInhibitor&) = delete;

    bool Hold(QWindow& window) override;
    void Release() override;

    // Called by the registry listener.
    void Global(wl_registry* registry, uint32_t name, const char* interface);

private:
    bool Connect();

    bool FAsked = false;
    wl_display* FDisplay = nullptr;
    wl_event_queue* FQueue = nullptr;
    wl_display* FWrapper = nullptr;
    wl_registry* FRegistry = nullptr;
    zwp_idle_inhibit_manager_v1* FManager = nullptr;
    std::vector<zwp_idle_inhibitor_v1*> FInhibitors;
};
