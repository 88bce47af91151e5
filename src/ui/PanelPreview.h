#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/ShowServices.h"
#include "settings/SaverSettings.h"

class TCbScreenSaver;
class TSaverFlag;
class TWidgetCanvas;

// The show played small on the create page's panel, with the screen-saver flag raised while it
// runs.
class TPanelPreview {
public:
    TPanelPreview(TWidgetCanvas& panel, const TShowServices& services, TSaverFlag& saverFlag);
    ~TPanelPreview();
    TPanelPreview(const TPanelPreview&) = delete;
    TPanelPreview& operator=(const TPanelPreview&) = delete;

    bool Running() const { return FSaver != nullptr; }
    // Starts the show over the files unless one runs. The list is borrowed and must outlive the
    // show. The show composes its frames at screen size: building it may throw, and then
    // nothing runs.
    void Start(const TSaverSettings& settings,
               const std::vector<std::string>& pictureFiles,
               const std::string& soundFile);
    void Stop();
    // Paints the panel in color now and keeps it as the colour under what a show draws.
    void SetColor(TColor color);

private:
    TWidgetCanvas& FPanel;
    TShowServices FServices;
    TSaverFlag& FSaverFlag;
    std::unique_ptr<TCbScreenSaver> FSaver;
};
