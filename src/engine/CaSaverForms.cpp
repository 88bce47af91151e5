#include "engine/CaSaverForms.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include "engine/CaScreenSaverMain.h"
#include "engine/MouseCursor.h"
#include "toolkit/Screen.h"
#include "toolkit/WidgetCanvas.h"

namespace {

// The application's cursor: the override-cursor stack counts like the display counter.
class TAppMouseCursor : public TMouseCursor {
public:
    void Hide() override { QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor)); }
    void Show() override { QGuiApplication::restoreOverrideCursor(); }
};

QColor ToQColor(TColor c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

}  // namespace

TCaSaverForm::TCaSaverForm(const TSaverSettings& settings,
                           const std::vector<std::string>& pictureFiles,
                           const std::string& soundFileName,
                           const TShowServices& services,
                           TMouseCursor* cursor,
                           QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , FSettings(settings)
    , FPictureFiles(pictureFiles)
    , FSoundFileName(soundFileName)
    , FServices(services)
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
    // The screen's size comes in device pixels; the window is placed in logical ones.
    QPoint origin(0, 0);
    double dpr = 1.0;
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        origin = primary->geometry().topLeft();
        dpr = primary->devicePixelRatio();
    }
    const int width = static_cast<int>(std::lround(FServices.Screen.Width() / dpr));
    const int height = static_cast<int>(std::lround(FServices.Screen.Height() / dpr));
    setGeometry(origin.x(), origin.y(), width, height);
    imgShow->setGeometry(0, 0, width, height);
    SetColor(FSettings.BackColor);
}

void TCaSaverForm::RunSaver() {
    SetColor(FSettings.BackColor);
    exec();
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
    imgShow->SyncImageSize();
    TCanvas& canvas = imgShow->Canvas();
    FSaver = std::make_unique<TCaScreenSaverMain>(
        canvas, canvas.ClipRect(), FSettings, FPictureFiles, FSoundFileName, false, FServices);
    FSaver->Start();
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
