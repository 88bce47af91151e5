#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// A timer on the user-interface thread: calls OnTimer every Interval ms while Enabled.
// Enabling it, or changing Interval while enabled, starts a fresh countdown; Interval 0 never
// fires; a disabled timer never calls its handler.
class TTimer {
public:
    virtual ~TTimer() = default;

    virtual void SetInterval(uint32_t ms) = 0;
    virtual uint32_t Interval() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;

    std::function<void()> OnTimer;
};

// Makes timers; the engine asks its factory for the one timer it owns.
class TTimerFactory {
public:
    virtual ~TTimerFactory() = default;
    virtual std::unique_ptr<TTimer> CreateTimer() = 0;
};
