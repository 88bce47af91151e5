#pragma once

#include <QDialog>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "base/Color.h"
#include "engine/CbScreenSaver.h"

class TMouseCursor;
class TScreen;
class TWidgetCanvas;

struct TShowServices;

// Runs the show full screen on every screen at once and returns when it has ended: on the screen
// of services modally, as RunSaver does, and on each other screen of the application a window
// of its own, whose show gets that screen and ScreenIndex 1, 2, … in the desktop's order. makeShow
// builds a screen's show from its services; primary tells the first screen's (the one that may
// play the sound). A key or the mouse on any of the windows ends them all.
void RunSaverOnEveryScreen(
    TColor backColor,
    const TShowServices& services,
    const std::function<TShowFactory(const TShowServices& services, bool primary)>& makeShow,
    const std::function<void(const std::exception& error)>& onShowError);

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
