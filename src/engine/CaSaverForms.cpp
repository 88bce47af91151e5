#include "engine/CaSaverForms.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QtDebug>
#include <stdexcept>
#include <utility>

#include "engine/MouseCursor.h"
#include "toolkit/QtColor.h"
#include "toolkit/Screen.h"
#include "toolkit/WidgetCanvas.h"

namespace {

// The application's cursor: the override-cursor stack counts like the display counter.
class TAppMouseCursor : public TMouseCursor {
public:
    void Hide() override { QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor)); }
    void Show() override { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

TCaSaverForm::TCaSaverForm(TColor backColor,
                           TShowFactory makeShow,
                           const TScreen& screen,
                           TMouseCursor* cursor,
                           QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , FBackColor(backColor)
    , FMakeShow(std::move(makeShow))
    , FScreen(screen)
    , FCursor(cursor) {
    setObjectName("frmSaver");
    if (!FCursor) {
        FOwnCursor = std::make_unique<TAppMouseCursor>();
        FCursor = FOwnCursor.get();
    }
    imgShow = new TWidgetCanvas(this);
    imgShow->setObjectName("imgShow");
    // Keys and mouse movements belong to the window, whatever lies under the cursor.
    imgShow->setAttribute(Qt::WA_TransparentForMouseEvents);
    imgShow->setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    FormCreate();
}

TCaSaverForm::~TCaSaverForm() {
    FormDestroy();
}

void TCaSaverForm::FormCreate() {
    FCursor->Hide();
    FEnded = false;
    FMouseMoves = 0;
    // The geometry places the window on its display and covers it where no window manager
    // honours the full-screen state; where one does, that state is what removes title bars,
    // panels and docks.
    const TRect place = FScreen.Geometry();
    if (QScreen* display = QGuiApplication::screenAt(
            QPoint(place.Left + place.Width() / 2, place.Top + place.Height() / 2))) {
        setScreen(display);
    }
    setGeometry(place.Left, place.Top, place.Width(), place.Height());
    imgShow->setGeometry(0, 0, place.Width(), place.Height());
    SetColor(FBackColor);
}

void TCaSaverForm::AskFullScreen() {
    setWindowState((windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)) |
                   Qt::WindowFullScreen);
}

void TCaSaverForm::RunSaver() {
    SetColor(FBackColor);
    AskFullScreen();
    exec();
}

void TCaSaverForm::ShowSaver() {
    SetColor(FBackColor);
    AskFullScreen();
    show();
}

void TCaSaverForm::SetColor(TColor color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ToQColor(color));
    setPalette(palette);
    setAutoFillBackground(true);
    imgShow->SetBackground(color);
}

void TCaSaverForm::FormActivate() {
    if (FSaver || FEnded) {
        return;
    }
    // Building the show allocates screen-sized bitmaps and may fail; called from event
    // handlers, the failure ends the show here rather than in the event loop.
    try {
        imgShow->SyncImageSize();
        TCanvas& canvas = imgShow->Canvas();
        FSaver = FMakeShow(canvas, canvas.ClipRect());
        if (!FSaver) {
            throw std::runtime_error("没有可以放映的屏保。");
        }
        FSaver->Start();
    } catch (const std::exception& error) {
        ShowFailed(error);
    } catch (...) {
        ShowFailed(std::runtime_error("发生了未知的错误。"));
    }
}

void TCaSaverForm::ShowFailed(const std::exception& error) {
    EndSaver();
    // The report must not escape either: it is made from an event handler.
    try {
        if (OnShowError) {
            OnShowError(error);
        } else {
            qWarning("%s", error.what());
        }
    } catch (...) {
    }
}

void TCaSaverForm::FormKeyDown() {
    EndSaver();
}

void TCaSaverForm::FormMouseMove() {
    ++FMouseMoves;
    if (FMouseMoves == 2) {
        EndSaver();
    }
}

void TCaSaverForm::EndSaver() {
    if (FEnded) {
        return;
    }
    FEnded = true;
    if (FSaver) {
        TCbScreenSaver::Stop(FSaver);
    }
    close();
    if (OnEnded) {
        OnEnded();
    }
}

void TCaSaverForm::FormDestroy() {
    if (FSaver) {
        TCbScreenSaver::Stop(FSaver);
    }
    FCursor->Show();
}

bool TCaSaverForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return QDialog::event(event);
}

void TCaSaverForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Not every window system activates a window that comes up; the show starts either way,
    // once the window is on screen.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TCaSaverForm::keyPressEvent(QKeyEvent* event) {
    event->accept();
    FormKeyDown();
}

void TCaSaverForm::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    FormMouseMove();
}

void TCaSaverForm::closeEvent(QCloseEvent* event) {
    // Closed by the window system rather than by a key or the mouse: the show ends all the same.
    if (!FEnded) {
        EndSaver();
    }
    QDialog::closeEvent(event);
}
