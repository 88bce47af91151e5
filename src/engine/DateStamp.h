#pragma once

#include <string>

#include "settings/SaverSettings.h"
#include "toolkit/DateTaken.h"

class TBitmap;

// The date as the show writes it: "2024年5月3日".
std::string DateStampText(const TDateTaken& date);

// Draws the date in a corner of a screen-sized frame (tpTopLeft .. tpBottomRight): white letters
// with a dark outline, readable on any picture, their height a thirtieth of the frame's.
// Draws nothing for an unknown date.
void DrawDateStamp(TBitmap& frame, const TDateTaken& date, TTextPosition corner);
