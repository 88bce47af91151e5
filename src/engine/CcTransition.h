#pragma once

#include <cstdint>

class TBitmap;
class TCanvas;

// Reveals a new picture over what the target shows by one of twenty effects, drawing straight
// onto the target step by step. Never reads the target, never waits; reports nothing.
// A runner is created with new by its owner and released with CancelAndFree.
class TCcTransition {
public:
    // Runs effect 1..20 to its end (or to a cancel); any other number draws nothing. Errors end
    // the effect quietly and leave Running set.
    void Run(TBitmap* source, TCanvas* target, int32_t effect);
    // Sets Cancelled, then destroys the runner (delete this). Never call it from inside Run.
    void CancelAndFree();

    TBitmap* Source = nullptr;
    TCanvas* Target = nullptr;
    int32_t Effect = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Running = false;
    bool Cancelled = false;

private:
    void SlideIn();
    void Wipe();
    void BoxOut();
    void BoxIn();
    void SplitOpen();
    void SplitClose();
    void RandomLines();
    void Blinds();

    // Copies the whole source with its top-left corner at (x, y).
    void DrawAt(int32_t x, int32_t y);
    // Gives every target pixel of the rectangle the source pixel at the same position.
    void Reveal(int32_t left, int32_t top, int32_t right, int32_t bottom);
};
