#pragma once

#include <string>
#include <vector>

#include "platform/FileBrowser.h"

// Keeps every folder it was asked to open, for tests.
class TRecordingFileBrowser : public TFileBrowser {
public:
    void OpenFolder(const std::string& folder) override { Folders.push_back(folder); }

    std::vector<std::string> Folders;
};
