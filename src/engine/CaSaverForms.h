#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/CbScreenSaver.h"
#include "engine/ShowServices.h"
#include "settings/SaverSettings.h"

class TMouseCursor;
class TWidgetCanvas;

// The full-screen show: a borderless window over the primary screen, the cursor hidden, a
// slide show playing on it until a key is pressed or the mouse moves.
class TCaSaverForm : public QDialog {
    Q_OBJECT

public:
    // The picture list is borrowed and must outlive the window. Without a cursor the
    // application's own is hidden and shown.
    TCaSaverForm(const TSaverSettings& settings,
                 const std::vector<std::string>& pictureFiles,
                 const std::string& soundFileName,
                 const TShowServices& services,
                 TMouseCursor* cursor = nullptr,
                 QWidget* parent = nullptr);
    ~TCaSaverForm() override;

    // Shows the window modally; returns when the show has ended and the window has closed.
    void RunSaver();
    // Ends the show and closes the window; only the first call acts.
    void EndSaver();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void FormKeyDown();
    void FormMouseMove();
    void FormDestroy();
    void SetColor(TColor color);

    TSaverSettings FSettings;
    const std::vector<std::string>& FPictureFiles;
    std::string FSoundFileName;
    std::unique_ptr<TCbScreenSaver> FSaver;
    bool FEnded = false;
    int32_t FMouseMoves = 0;

    TShowServices FServices;
    TMouseCursor* FCursor;
    std::unique_ptr<TMouseCursor> FOwnCursor;
    TWidgetCanvas* imgShow;
};
