#pragma once

#include <string>

// Shows a folder in the desktop's file manager.
class TFileBrowser {
public:
    virtual ~TFileBrowser() = default;
    // Starts the file manager on folder without waiting for it; failures are ignored.
    virtual void OpenFolder(const std::string& folder) = 0;
};
