#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "settings/SaverSettings.h"
#include "settings/ShowExtras.h"

// What `kavro` was asked to do by its arguments. Without any option it is the wizard, opening
// File when one is named; --create makes a show without a window, --info describes one.
struct TCommandLine {
    enum TMode { Wizard, Help, Create, Info, Invalid };
    TMode Mode = Wizard;
    // Invalid: the message, naming the option.
    std::string Error;
    // Wizard: a show file to open, or empty. Create: the output. Info: the file described.
    std::string File;

    // Create: the pictures in show order, folders already listed, and every choice.
    std::vector<std::string> Pictures;
    std::string Title;  // UTF-8; empty: the output file's name without its extension
    bool TitleGiven = false;
    std::map<int, std::string> Captions;  // 0-based picture index → UTF-8 caption
    std::string SoundFile;
    int IntervalSeconds = 5;
    bool SequentialOrder = true;
    bool Fit = false;
    TColor BackColor = RGBColor(0, 128, 255);
    // Effects 1 .. 23 that may run; empty: the wizard's default, the twenty.
    std::vector<int> Effects;
    bool ShowDescription = false;
    std::string DescriptionText, WebAddress, CompanyName, RightsNotice;  // UTF-8
    TShowExtras Extras;
};

// Reads the arguments after the program's name. Bad usage gives Invalid with a message that
// names the option.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// Whether the arguments ask for the command line rather than the wizard's window.
bool IsCommandLine(const std::vector<std::string>& args);

// The record that the wizard would hand to its builder for these choices: the wizard's
// defaults, its control rules, then the choices given.
TSaverSettings CommandLineSettings(const TCommandLine& command);

// Makes command.File from the pictures and choices, with the stubs found below programDir as the
// wizard finds them. Throws std::runtime_error with the message the wizard shows for the same
// failure; the output is then left as it was.
void CreateShow(const TCommandLine& command, const std::string& programDir);

// Runs a command line: 0 done, 1 the build or the file failed (its message on err), 2 bad usage.
int RunCommandLine(const std::vector<std::string>& args,
                   const std::string& programDir,
                   std::ostream& out,
                   std::ostream& err);

extern const char KavroUsage[];
