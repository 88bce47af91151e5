#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/ShowServices.h"
#include "settings/SaverSettings.h"
#include "toolkit/Rect.h"

class TBitmap;
class TCanvas;

// The show logic: on every timer tick picks the next picture or the title screen, composes it
// at screen size with background and caption, scales it to the target and reveals it through
// a transition. Pictures and the sound file come from the two virtual operations.
class TCbScreenSaver {
public:
    virtual ~TCbScreenSaver();
    TCbScreenSaver(const TCbScreenSaver&) = delete;
    TCbScreenSaver& operator=(const TCbScreenSaver&) = delete;

    // Begins the show; called once, right after construction.
    void Start();

    // Ends the show and destroys it; leaves the owner's pointer empty.
    static void Stop(std::unique_ptr<TCbScreenSaver>& saver);

protected:
    TCbScreenSaver(TCanvas& targetCanvas,
                   const TRect& targetRect,
                   const TSaverSettings& settings,
                   bool quiet,
                   const TShowServices& services);

    virtual const TBitmap& GetPicture(int32_t index) = 0;
    virtual std::string GetSoundFileName() = 0;

    // (fields and the rest of the show's operations follow here)
};
