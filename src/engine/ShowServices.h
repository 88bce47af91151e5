#pragma once

class TTimerFactory;
class TScreen;
class TMediaControl;
class TWavePlayer;
class TFrameClockFactory;
class TWorker;

// The outside services a slide show uses, handed in by whoever builds the show: real ones in
// the program, fakes in tests.
struct TShowServices {
    TTimerFactory& Timers;
    TScreen& Screen;
    TMediaControl& Media;
    TWavePlayer& Wave;
    // Paces each effect over about a second of display frames; without it an effect is drawn
    // whole within its tick, as a bitmap canvas wants.
    TFrameClockFactory* Frames = nullptr;
    // Decodes the next picture ahead of its tick; without it the tick decodes it.
    TWorker* Worker = nullptr;
    // Which of the screens the show runs on, counted from 0 in the desktop's order, where one
    // show runs per screen; with "每个屏幕显示不同的图片" it turns the pictures by that many.
    int ScreenIndex = 0;
};
