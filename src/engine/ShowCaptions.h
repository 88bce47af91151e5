#pragma once

#include "settings/SaverSettings.h"

class TBitmap;

// Draws the show's title screen over the whole of a screen-sized bitmap: the title, the
// description's lines and the address, company and rights rows, on the background colour.
void DrawTitleScreen(TBitmap& screen, const TSaverSettings& settings);

// Draws a picture's own caption over a screen-sized frame, at the slot's place and in its font.
// Draws nothing for an empty caption.
void DrawCaption(TBitmap& frame, const TSaverPictureText& slot);
