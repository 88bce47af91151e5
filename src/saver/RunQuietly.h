#pragma once

// Runs program with one argument, its output thrown away, and waits for it; true when it could
// be started and exited with 0 (for asking whether a daemon answers).
bool RunQuietly(const char* program, const char* argument);
