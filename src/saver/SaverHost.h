#pragma once

#include <QAbstractNativeEventFilter>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <functional>

// A window of another program (xscreensaver's black window, or its settings tool's preview
// pane) as the place a show draws in. Qt does not follow a window it did not create, so its size
// comes from the X server, and its resizing and destruction from the structure events this
// filter asks for on its own connection.
class TSaverHost : public QAbstractNativeEventFilter {
public:
    // Needs the xcb platform; answers the window's size at once through Size().
    explicit TSaverHost(uint32_t window);
    ~TSaverHost() override;

    uint32_t Window() const { return FWindow; }
    // The window's size in pixels; empty when the window is gone.
    QSize Size() const;
    // Where the window's top left corner lies on the root window; (0, 0) when it is gone.
    QPoint RootPosition() const;

    std::function<void(QSize)> OnResized;
    std::function<void()> OnDestroyed;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    uint32_t FWindow;
    QSize FLastSize;
};

// The X root window of the default screen (what --root draws on without xscreensaver).
uint32_t RootWindow();
