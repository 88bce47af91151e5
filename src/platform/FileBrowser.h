#pragma once

#include <string>

// Shows a folder in the desktop's file manager.
class TFileBrowser {
public:
    virtual ~TFileBrowser() = default;
    // Starts the file manager on folder without waiting for it; false when none could be
    // started, so that the caller can say where the folder is instead.
    virtual bool OpenFolder(const std::string& folder) = 0;
};
