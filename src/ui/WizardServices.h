#pragma once

#include <string>

#include "engine/ShowServices.h"

class TSaverFlag;
class TFileBrowser;
class TWizardDialogs;
class TfrmAbout;
class TfrmTransitions;
class TfrmDescription;
class TfrmText;

// The outside services the main window uses, handed in by main() or a test.
struct TWizardServices {
    TShowServices Show;
    TSaverFlag& SaverFlag;
    TFileBrowser& FileBrowser;
    TWizardDialogs& Dialogs;
    // The program's folder with a trailing "/": stubs are read from it, installers go below it.
    std::string ProgramDir;
};

// The dialogs the main window opens; created after it and reused for the whole run.
struct TWizardForms {
    TfrmAbout* frmAbout = nullptr;
    TfrmTransitions* frmTransitions = nullptr;
    TfrmDescription* frmDescription = nullptr;
    TfrmText* frmText = nullptr;
};
