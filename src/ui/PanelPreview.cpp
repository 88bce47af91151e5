#include "ui/PanelPreview.h"

#include "engine/CaScreenSaverMain.h"
#include "platform/SaverFlag.h"
#include "toolkit/WidgetCanvas.h"
#include "ui/BaFunction.h"

TPanelPreview::TPanelPreview(TWidgetCanvas& panel,
                             const TShowServices& services,
                             TSaverFlag& saverFlag)
    : FPanel(panel), FServices(services), FSaverFlag(saverFlag) {}

TPanelPreview::~TPanelPreview() {
    Stop();
}

void TPanelPreview::Start(const TSaverSettings& settings,
                          const std::vector<std::string>& pictureFiles,
                          const std::string& soundFile) {
    if (FSaver) {
        return;
    }
    const QRect bounds = FPanel.geometry();
    auto saver = std::make_unique<TCaScreenSaverMain>(FPanel.Canvas(),
                                                      TRect{bounds.left(),
                                                            bounds.top(),
                                                            bounds.left() + bounds.width(),
                                                            bounds.top() + bounds.height()},
                                                      settings,
                                                      pictureFiles,
                                                      soundFile,
                                                      true,
                                                      FServices);
    FSaverFlag.SetRunning(true);
    FSaver = std::move(saver);
    FSaver->Start();
}

void TPanelPreview::Stop() {
    if (!FSaver) {
        return;
    }
    FSaverFlag.SetRunning(false);
    TCbScreenSaver::Stop(FSaver);
}

void TPanelPreview::SetColor(TColor color) {
    // A panel that changes its colour repaints itself in it, over whatever a show drew there.
    SetPanelColor(&FPanel, color);
    FPanel.SetBackground(color);
    FPanel.SyncImageSize();
    TCanvas& canvas = FPanel.Canvas();
    canvas.Brush().Reset();
    canvas.Brush().Color = color;
    canvas.FillRect(canvas.ClipRect());
}
