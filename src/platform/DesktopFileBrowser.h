#pragma once

#include "platform/FileBrowser.h"

// Opens folders in the desktop's own choice of file manager, through the desktop portal or
// xdg-open.
class TDesktopFileBrowser : public TFileBrowser {
public:
    bool OpenFolder(const std::string& folder) override;
};
