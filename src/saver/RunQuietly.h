#pragma once

// Runs program with one argument, its output thrown away, and waits for it, at most `ms`
// milliseconds (then it is killed); true when it could be started and exited with 0 in time
// (for asking whether a daemon answers).
bool RunQuietly(const char* program, const char* argument, int ms = 3000);

// Whether the xscreensaver daemon answers on this session's X display; false without one (the
// daemon's command would guess display :0, which may be another session's).
bool XScreensaverAnswers();
