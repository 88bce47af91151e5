#pragma once

#include <functional>

// Runs work away from the user-interface thread, so that a slow decode never stalls a window.
class TWorker {
public:
    virtual ~TWorker() = default;

    // Runs work on another thread, then done on the user-interface thread. work must be
    // self-contained: it may touch nothing that the user-interface thread uses meanwhile.
    // done runs even when its poster has gone; the poster checks for that itself.
    virtual void Post(std::function<void()> work, std::function<void()> done) = 0;
};
