#include "platform/WaylandIdleInhibitor.h"

#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstring>

#include "idle-inhibit-unstable-v1-client-protocol.h"

namespace {

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    static_cast<TWaylandIdleInhibitor*>(data)->Global(registry, name, interface);
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener RegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

TWaylandIdleInhibitor::~TWaylandIdleInhibitor() {
    Release();
    if (FManager) {
        zwp_idle_inhibit_manager_v1_destroy(FManager);
    }
    if (FRegistry) {
        wl_registry_destroy(FRegistry);
    }
    if (FWrapper) {
        wl_proxy_wrapper_destroy(FWrapper);
    }
    if (FQueue) {
        wl_event_queue_destroy(FQueue);
    }
    if (FDisplay) {
        wl_display_flush(FDisplay);
    }
}

void TWaylandIdleInhibitor::Global(wl_registry* registry, uint32_t name, const char* interface) {
    if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0 && !FManager) {
        FManager = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
    }
}

// Looks for the manager once, on a queue of our own, so that the toolkit's dispatching of its
// own events is neither disturbed nor needed.
bool TWaylandIdleInhibitor::Connect() {
    if (FAsked) {
        return FManager != nullptr;
    }
    FAsked = true;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!native || !QGuiApplication::platformName().startsWith("wayland")) {
        return false;
    }
    FDisplay = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    if (!FDisplay) {
        return false;
    }
    FQueue = wl_display_create_queue(FDisplay);
    FWrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(FDisplay));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(FWrapper), FQueue);
    FRegistry = wl_display_get_registry(FWrapper);
    wl_registry_add_listener(FRegistry, &RegistryListener, this);
    if (wl_display_roundtrip_queue(FDisplay, FQueue) < 0) {
        return false;
    }
    return FManager != nullptr;
}

bool TWaylandIdleInhibitor::Hold(QWindow& window) {
    if (!Connect()) {
        return false;
    }
    auto* surface = static_cast<wl_surface*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", &window));
    if (!surface) {
        return false;
    }
    FInhibitors.push_back(zwp_idle_inhibit_manager_v1_create_inhibitor(FManager, surface));
    wl_display_flush(FDisplay);
    return true;
}

void TWaylandIdleInhibitor::Release() {
    if (FInhibitors.empty()) {
        return;
    }
    for (zwp_idle_inhibitor_v1* inhibitor : FInhibitors) {
        zwp_idle_inhibitor_v1_destroy(inhibitor);
    }
    FInhibitors.clear();
    wl_display_flush(FDisplay);
}
