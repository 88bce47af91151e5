#pragma once

#include <QDialog>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "engine/CbScreenSaver.h"
#include "toolkit/Color.h"

class TMouseCursor;
class TScreen;
class TWidgetCanvas;

// The full-screen show: a window in the window system's full-screen state on one screen, the
// cursor hidden, a slide show playing on it until a key is pressed or the mouse moves.
class TCaSaverForm : public QDialog {
    Q_OBJECT

public:
    // The window covers the screen in backColor and has makeShow build the show once it is up.
    // The screen is borrowed and must outlive the window; the window goes full screen on the
    // display that lies at its geometry. Without a cursor the application's own is hidden and
    // shown.
    TCaSaverForm(TColor backColor,
                 TShowFactory makeShow,
                 const TScreen& screen,
                 TMouseCursor* cursor = nullptr,
                 QWidget* parent = nullptr);
    ~TCaSaverForm() override;

    // Told why the show could not be built or started, after the window has closed; without it
    // the failure goes to the log. Nothing is thrown into the event loop either way.
    std::function<void(const std::exception& error)> OnShowError;

    // Told once when the show has ended (a key, the mouse, EndSaver or the window system).
    std::function<void()> OnEnded;

    // Shows the window modally; returns when the show has ended and the window has closed.
    void RunSaver();
    // Shows the window full screen without waiting; OnEnded says when it is over.
    void ShowSaver();
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
    void AskFullScreen();

    void ShowFailed(const std::exception& error);

    TColor FBackColor;
    TShowFactory FMakeShow;
    std::unique_ptr<TCbScreenSaver> FSaver;
    bool FEnded = false;
    int32_t FMouseMoves = 0;

    const TScreen& FScreen;
    TMouseCursor* FCursor;
    std::unique_ptr<TMouseCursor> FOwnCursor;
    TWidgetCanvas* imgShow;
};
