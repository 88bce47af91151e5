#pragma once

#include "platform/FileBrowser.h"

// Opens folders through xdg-open, the desktop's own choice of file manager.
class TDesktopFileBrowser : public TFileBrowser {
public:
    void OpenFolder(const std::string& folder) override;
};
