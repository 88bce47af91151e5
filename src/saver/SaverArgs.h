#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the saver program was asked to do, from its arguments and XSCREENSAVER_WINDOW.
struct TSaverArgs {
    enum TMode { Help, Host, Play, Invalid };
    TMode Mode = Play;
    // Host: the window to draw in; 0 with --root alone means the root window.
    uint32_t Window = 0;
    // Drawing into a preview pane (--window-id): no sound there.
    bool Preview = false;
    // The show file; empty for the one installed beside the program.
    std::string File;
    // Play: the minutes for which the show's windows hold the desktop's blanking off; 0 none.
    int KeepScreenOnMinutes = 0;
    std::string Error;
};

// Accepts --root, -root, --window-id ID, -window-id ID, --play FILE, --keep-screen-on MINUTES
// (playing only), --help, -h and one show file; environmentWindow is XSCREENSAVER_WINDOW's value or
// null. Without a window the show plays full screen in a window of its own.
TSaverArgs ParseSaverArgs(const std::vector<std::string>& args, const char* environmentWindow);

extern const char SaverUsage[];
