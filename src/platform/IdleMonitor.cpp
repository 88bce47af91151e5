#include "platform/IdleMonitor.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/MutterIdleMonitor.h"
#include "platform/WaylandIdleMonitor.h"
#include "platform/XssIdleMonitor.h"

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

bool HasSessionBus() {
    // Asked without one, the bus library would launch a bus of its own for the display.
    if (Set("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime && access((std::string(runtime) + "/bus").c_str(), F_OK) == 0;
}

std::unique_ptr<TIdleMonitor> OpenSessionIdleMonitor(uint32_t idleMs) {
    std::unique_ptr<TIdleMonitor> monitor;
    auto tryOne = [&](std::unique_ptr<TIdleMonitor> candidate) {
        if (!monitor && candidate->Start(idleMs)) {
            monitor = std::move(candidate);
        }
    };
    if (HasSessionBus()) {
        tryOne(std::make_unique<TMutterIdleMonitor>("org.gnome.Mutter.IdleMonitor"));
        tryOne(std::make_unique<TMutterIdleMonitor>("org.cinnamon.Muffin.IdleMonitor"));
    }
    if (Set("WAYLAND_DISPLAY")) {
        tryOne(std::make_unique<TWaylandIdleMonitor>());
        // Under Wayland the X server sees only the input of X clients: no use asking it.
        return monitor;
    }
    if (Set("DISPLAY")) {
        tryOne(std::make_unique<TXssIdleMonitor>());
    }
    return monitor;
}
