#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <iostream>
#include <string>
#include <vector>

#include "platform/DesktopFileBrowser.h"
#include "platform/SdlMediaControl.h"
#include "platform/SdlWavePlayer.h"
#include "platform/SessionSaverFlag.h"
#include "toolkit/QtFrameClock.h"
#include "toolkit/QtScreen.h"
#include "toolkit/QtTimer.h"
#include "toolkit/QtWorker.h"
#include "ui/CommandLine.h"
#include "ui/Glyphs.h"
#include "ui/QtWizardDialogs.h"
#include "ui/uAbout.h"
#include "ui/uDescription.h"
#include "ui/uMain.h"
#include "ui/uText.h"
#include "ui/uTransitions.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (IsCommandLine(args)) {
        // --create, --info and --help open no window, so they run without a display.
        QCoreApplication app(argc, argv);
        return RunCommandLine(
            args, QCoreApplication::applicationDirPath().toStdString() + "/", std::cout, std::cerr);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KAVRO"));
    // Qt's own buttons and dialogs (message box OK, colour and font dialogs) in Chinese too.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(KavroIcon(size));
    }
    QApplication::setWindowIcon(icon);

    TQtTimerFactory timers;
    TQtFrameClockFactory frames;
    TQtWorker worker;
    TQtScreen screen;
    TSdlMediaControl media;
    TSdlWavePlayer wave;
    TSessionSaverFlag saverFlag;
    TDesktopFileBrowser fileBrowser;
    TQtWizardDialogs dialogs;
    const TWizardServices services{{timers, screen, media, wave, &frames, &worker},
                                   saverFlag,
                                   fileBrowser,
                                   dialogs,
                                   QApplication::applicationDirPath().toStdString() + "/"};

    TfrmMain frmMain(services);
    TfrmAbout frmAbout;
    TfrmTransitions frmTransitions;
    TfrmDescription frmDescription;
    TfrmText frmText;
    frmMain.SetForms({&frmAbout, &frmTransitions, &frmDescription, &frmText});

    if (const QScreen* primary = QApplication::primaryScreen()) {
        frmMain.move(primary->availableGeometry().center() - frmMain.rect().center());
    }
    frmMain.show();
    // "kavro FILE", as the desktop entry starts it for a file: the saver opened for a change.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        frmMain.OpenSaver(arguments.at(1));
    }
    return app.exec();
}
