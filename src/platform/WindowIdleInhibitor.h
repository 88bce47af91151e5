#pragma once

class QWindow;

// Keeps the session from going idle, and so from blanking and locking, while windows of ours
// are on the screen: a Wayland compositor's idle inhibitor belongs to a surface and is honoured
// only while that surface is visible.
class TWindowIdleInhibitor {
public:
    virtual ~TWindowIdleInhibitor() = default;
    // Holds idle off while the window, already shown, is visible; false when the session offers
    // no such thing (then nothing is held and nothing needs saying).
    virtual bool Hold(QWindow& window) = 0;
    // Lets go of every window held; harmless when none is.
    virtual void Release() = 0;
};
