#pragma once

class TTimerFactory;
class TScreen;
class TMediaControl;
class TWavePlayer;

// The outside services a slide show uses, handed in by whoever builds the show: real ones in
// the program, fakes in tests.
struct TShowServices {
    TTimerFactory& Timers;
    TScreen& Screen;
    TMediaControl& Media;
    TWavePlayer& Wave;
};
