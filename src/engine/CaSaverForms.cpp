#include "engine/CaSaverForms.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtDebug>
#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/MouseCursor.h"
#include "engine/ShowServices.h"
#include "toolkit/QtColor.h"
#include "toolkit/QtScreen.h"
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

void RunSaverOnEveryScreen(
    TColor backColor,
    const TShowServices& services,
    const std::function<TShowFactory(const TShowServices& services, bool primary)>& makeShow,
    const std::function<void(const std::exception& error)>& onShowError) {
    TCaSaverForm primary(backColor, makeShow(services, true), services.Screen);
    primary.OnShowError = onShowError;

    // The other screens in the desktop's order, left to right, then top to bottom.
    const TRect home = services.Screen.Geometry();
    std::vector<QScreen*> others;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        if (g.left() != home.Left || g.top() != home.Top) {
            others.push_back(screen);
        }
    }
    std::stable_sort(others.begin(), others.end(), [](QScreen* a, QScreen* b) {
        const QPoint pa = a->geometry().topLeft(), pb = b->geometry().topLeft();
        return pa.x() != pb.x() ? pa.x() < pb.x() : pa.y() < pb.y();
    });
    std::vector<std::unique_ptr<TQtScreen>> screens;
    std::vector<std::unique_ptr<TCaSaverForm>> forms;
    for (size_t i = 0; i < others.size(); ++i) {
        screens.push_back(std::make_unique<TQtScreen>(others[i]));
        const TShowServices further{services.Timers,
                                    *screens.back(),
                                    services.Media,
                                    services.Wave,
                                    services.Frames,
                                    services.Worker,
                                    static_cast<int>(i) + 1};
        // Children of the modal window, so that its modality leaves their keys and mouse alone.
        forms.push_back(std::make_unique<TCaSaverForm>(
            backColor, makeShow(further, false), *screens.back(), nullptr, &primary));
        forms.back()->OnShowError = onShowError;
        forms.back()->OnEnded = [&primary] { primary.EndSaver(); };
    }
    primary.OnEnded = [&forms] {
        for (const auto& form : forms) {
            form->EndSaver();
        }
    };
    // Up once the modal loop runs, each full screen on its own output.
    QTimer::singleShot(0, &primary, [&forms] {
        for (const auto& form : forms) {
            form->ShowSaver();
        }
    });
    primary.RunSaver();
    primary.OnEnded = nullptr;
    for (const auto& form : forms) {
        form->OnEnded = nullptr;
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
