#pragma once

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QtGlobal>
#include <memory>

#include "support/FakeScreen.h"
#include "support/FakeTimer.h"
#include "support/RecordingFileBrowser.h"
#include "support/RecordingMediaControl.h"
#include "support/RecordingSaverFlag.h"
#include "support/RecordingWavePlayer.h"
#include "support/ScriptedDialogs.h"
#include "ui/WizardServices.h"
#include "ui/uAbout.h"
#include "ui/uDescription.h"
#include "ui/uMain.h"
#include "ui/uText.h"
#include "ui/uTransitions.h"

class QWidget;
class TTimerFactory;
class TWorker;

inline const QString Hint = QStringLiteral("提示!");
inline const QString NoPictures = QStringLiteral("你还没有插入任何图片呢!");
inline const QString NoTitle = QStringLiteral("你还没输入标题吧!");

// The wizard window over fakes and a temporary folder, with what a user does to it: the tests
// of the main window share it. Messages shown land in FMessages as "caption|text".
class TMainWindowFixture {
protected:
    // For a test's init and cleanup.
    void SetUp();
    void TearDown();

    template <typename T>
    T* Child(const char* name) {
        T* child = FForm->findChild<T*>(name);
        if (child == nullptr) {
            qFatal("no control %s", name);
        }
        return child;
    }
    // The services of a window whose program lies in programDir (the temporary folder when
    // empty), with the fake timers unless timers is given.
    TWizardServices Services(const QString& programDir = {},
                             TTimerFactory* timers = nullptr,
                             TWorker* worker = nullptr);
    // A new window over services, shown, with its dialogs.
    void Reopen(const TWizardServices& services);
    void Reopen(const QString& programDir) { Reopen(Services(programDir)); }

    // A width × height picture of one colour in the temporary folder.
    QString Picture(const QString& name, int width, int height, QRgb color = qRgb(200, 40, 40));
    // count names of pictures that do not exist: prefix0.jpg, prefix1.jpg, …
    QStringList Names(const QString& prefix, int count);
    // A folder below the temporary folder holding empty files.
    QString Folder(const QString& name, const QStringList& files);
    void Idle() { emit QAbstractEventDispatcher::instance()->aboutToBlock(); }
    void TypeTitle(const QString& text);
    void LeaveTitle() { FForm->edtTitleExit(); }
    // Inserts the files through "插入图片".
    void Insert(const QStringList& files);
    // Inserts a red 40 × 30 and a blue 30 × 40 picture.
    void InsertRedAndBlue();
    // Chooses tune.wav, 1000 bytes, through the sound button.
    void ChooseSound();
    // Drops the files on target as a file manager would.
    void Drop(QWidget* target, const QStringList& files);
    void DropUrls(QWidget* target, const QList<QUrl>& urls);
    // Creates the saver as name in the temporary folder and answers its bytes.
    QByteArray CreateAs(const QString& name);
    // The message after a saver was created as file.
    static QString Created(const QString& file);

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TFakeTimerFactory> FTimers;
    std::unique_ptr<TFakeScreen> FScreen;
    std::unique_ptr<TRecordingMediaControl> FMedia;
    std::unique_ptr<TRecordingWavePlayer> FWave;
    std::unique_ptr<TRecordingSaverFlag> FFlag;
    std::unique_ptr<TRecordingFileBrowser> FBrowser;
    std::unique_ptr<TScriptedDialogs> FDialogs;
    std::unique_ptr<TfrmAbout> FAbout;
    std::unique_ptr<TfrmTransitions> FTransitions;
    std::unique_ptr<TfrmDescription> FDescription;
    std::unique_ptr<TfrmText> FText;
    std::unique_ptr<TfrmMain> FForm;
    QStringList FMessages;
};
