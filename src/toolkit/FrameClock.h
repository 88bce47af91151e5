#pragma once

#include <functional>
#include <memory>

// A clock of the display's frames on the user-interface thread: while started it calls OnFrame
// once per frame and tells the milliseconds since Start. A stopped clock never calls OnFrame.
class TFrameClock {
public:
    virtual ~TFrameClock() = default;

    // Counts from 0 again and calls OnFrame at every frame until Stop.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual double ElapsedMs() const = 0;

    std::function<void()> OnFrame;
};

// Makes frame clocks; a show asks for the one clock that paces its effects.
class TFrameClockFactory {
public:
    virtual ~TFrameClockFactory() = default;
    virtual std::unique_ptr<TFrameClock> CreateFrameClock() = 0;
};
