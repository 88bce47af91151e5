#include "platform/XssDisplay.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

struct TXssDisplay::TConnection {
    Display* Server = nullptr;
};

TXssDisplay::TXssDisplay() : FConnection(std::make_unique<TConnection>()) {}

TXssDisplay::~TXssDisplay() {
    if (FConnection->Server) {
        XCloseDisplay(FConnection->Server);
    }
}

bool TXssDisplay::Open() {
    if (!FConnection->Server) {
        FConnection->Server = XOpenDisplay(nullptr);
    }
    int event = 0, error = 0;
    return FConnection->Server && XScreenSaverQueryExtension(FConnection->Server, &event, &error);
}

bool TXssDisplay::Query(unsigned long& idleMs, bool& suspended) {
    XScreenSaverInfo info{};
    Display* server = FConnection->Server;
    if (!server || !XScreenSaverQueryInfo(server, DefaultRootWindow(server), &info)) {
        return false;
    }
    idleMs = info.idle;
    suspended = info.state == ScreenSaverDisabled;
    return true;
}

void TXssDisplay::Suspend(bool suspend) {
    if (FConnection->Server) {
        XScreenSaverSuspend(FConnection->Server, suspend ? True : False);
        XFlush(FConnection->Server);
    }
}
