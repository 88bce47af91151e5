#include "saver/SaverHost.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {

xcb_connection_t* Connection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

TSaverHost::TSaverHost(uint32_t window) : FWindow(window) {
    if (xcb_connection_t* c = Connection()) {
        // Event masks are kept per client: this adds ours and leaves the host's own alone.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, FWindow, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
    }
    FLastSize = Size();
    qApp->installNativeEventFilter(this);
}

TSaverHost::~TSaverHost() {
    if (qApp) {
        qApp->removeNativeEventFilter(this);
    }
}

QSize TSaverHost::Size() const {
    xcb_connection_t* c = Connection();
    if (!c) {
        return {};
    }
    xcb_get_geometry_reply_t* reply =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, FWindow), nullptr);
    if (!reply) {
        return {};
    }
    const QSize size(reply->width, reply->height);
    std::free(reply);
    return size;
}

QPoint TSaverHost::RootPosition() const {
    xcb_connection_t* c = Connection();
    if (!c) {
        return {};
    }
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, FWindow, RootWindow(), 0, 0), nullptr);
    if (!reply) {
        return {};
    }
    const QPoint position(reply->dst_x, reply->dst_y);
    std::free(reply);
    return position;
}

bool TSaverHost::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            const QSize size(configure->width, configure->height);
            if (configure->window == FWindow && size != FLastSize) {
                FLastSize = size;
                if (OnResized) {
                    OnResized(size);
                }
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            if (destroy->window == FWindow && OnDestroyed) {
                OnDestroyed();
            }
            break;
        }
        default:
            break;
    }
    return false;
}

uint32_t RootWindow() {
    xcb_connection_t* c = Connection();
    if (!c) {
        return 0;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    return screen ? screen->root : 0;
}
