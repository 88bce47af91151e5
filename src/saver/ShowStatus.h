#pragma once

#include <string>

class TShowInstaller;

// What --status prints, one "key: value" a line: the hosts found, the desktop, the current
// show, the idle delay, the keep-on time, whether the watcher runs and whether a show plays.
std::string StatusText(const TShowInstaller& installer);
