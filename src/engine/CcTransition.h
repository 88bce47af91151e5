#pragma once

#include <cstdint>

class TBitmap;
class TCanvas;

// Reveals a new picture over what the target shows by one of twenty effects, drawing straight
// onto the target step by step. Never reads the target, never waits; reports nothing.
class TCcTransition {
public:
    // Runs effect 1..20 to its end (or to a cancel); any other number draws nothing.
    void Run(TBitmap* source, TCanvas* target, int32_t effect);
    // Sets Cancelled, then destroys the runner.
    void CancelAndFree();

    TBitmap* Source = nullptr;
    TCanvas* Target = nullptr;
    int32_t Effect = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Running = false;
    bool Cancelled = false;
};
