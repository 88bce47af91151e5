#pragma once

#include <vector>

#include "toolkit/Rect.h"

// Which of the screens a window lies on, counted from 0 in the desktop's order: left to right,
// then top to bottom. The screen that holds the window's centre, else the one it overlaps most;
// 0 when it overlaps none. Every saver process of a multi-screen desktop counts alike, so that
// each knows its place in "每个屏幕显示不同的图片".
int ScreenIndexOf(std::vector<TRect> screens, const TRect& window);
