#pragma once

#include <string>
#include <vector>

#include "platform/FileBrowser.h"

// Keeps every folder it was asked to open, for tests; Opens says whether a file manager
// "started".
class TRecordingFileBrowser : public TFileBrowser {
public:
    bool OpenFolder(const std::string& folder) override {
        Folders.push_back(folder);
        return Opens;
    }

    std::vector<std::string> Folders;
    bool Opens = true;
};
