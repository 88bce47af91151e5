#include "ui/MainWindowFixture.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "ui/Messages.h"

void TMainWindowFixture::SetUp() {
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    FTimers = std::make_unique<TFakeTimerFactory>();
    FScreen = std::make_unique<TFakeScreen>(64, 48);
    FMedia = std::make_unique<TRecordingMediaControl>();
    FWave = std::make_unique<TRecordingWavePlayer>();
    FFlag = std::make_unique<TRecordingSaverFlag>();
    FBrowser = std::make_unique<TRecordingFileBrowser>();
    FDialogs = std::make_unique<TScriptedDialogs>();
    FAbout = std::make_unique<TfrmAbout>();
    FTransitions = std::make_unique<TfrmTransitions>();
    FDescription = std::make_unique<TfrmDescription>();
    FText = std::make_unique<TfrmText>();
    Reopen(Services());
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
    FMessages.clear();
    SetMessageHook(
        [this](const QString& caption, const QString& text) { FMessages << caption + "|" + text; });
}

void TMainWindowFixture::TearDown() {
    SetMessageHook({});
    SetQuestionHook({});
    FForm.reset();
    FText.reset();
    FDescription.reset();
    FTransitions.reset();
    FAbout.reset();
    FDir.reset();
}

TWizardServices TMainWindowFixture::Services(const QString& programDir,
                                             TTimerFactory* timers,
                                             TWorker* worker) {
    return TWizardServices{
        {timers != nullptr ? *timers : *FTimers, *FScreen, *FMedia, *FWave, nullptr, worker},
        *FFlag,
        *FBrowser,
        *FDialogs,
        (programDir.isEmpty() ? FDir->path() : programDir).toStdString() + "/"};
}

void TMainWindowFixture::Reopen(const TWizardServices& services) {
    FForm.reset();
    FForm = std::make_unique<TfrmMain>(services);
    FForm->SetForms({FAbout.get(), FTransitions.get(), FDescription.get(), FText.get()});
    FForm->show();
}

QString TMainWindowFixture::Picture(const QString& name, int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    const QString path = FDir->filePath(name);
    if (!image.save(path)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QStringList TMainWindowFixture::Names(const QString& prefix, int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << FDir->filePath(QStringLiteral("%1%2.jpg").arg(prefix).arg(i));
    }
    return names;
}

QString TMainWindowFixture::Folder(const QString& name, const QStringList& files) {
    QDir(FDir->path()).mkpath(name);
    for (const QString& file : files) {
        QFile(FDir->filePath(name + "/" + file)).open(QIODevice::WriteOnly);
    }
    return FDir->filePath(name);
}

void TMainWindowFixture::Insert(const QStringList& files) {
    FDialogs->Pictures.push_back(files);
    Child<QPushButton>("btnPicInsert")->click();
}

void TMainWindowFixture::InsertRedAndBlue() {
    Insert({Picture("red.bmp", 40, 30, qRgb(255, 0, 0)),
            Picture("blue.bmp", 30, 40, qRgb(0, 0, 255))});
}

void TMainWindowFixture::TypeTitle(const QString& text) {
    // As a paste: key clicks cannot carry Chinese text.
    auto* title = Child<QLineEdit>("edtTitle");
    title->selectAll();
    title->insert(text);
}

void TMainWindowFixture::ChooseSound() {
    QFile sound(FDir->filePath("tune.wav"));
    QVERIFY(sound.open(QIODevice::WriteOnly));
    sound.write(QByteArray(1000, 'w'));
    sound.close();
    FDialogs->Sounds.push_back(sound.fileName());
    Child<QToolButton>("btnSoundOpen")->click();
}

void TMainWindowFixture::Drop(QWidget* target, const QStringList& files) {
    QList<QUrl> urls;
    for (const QString& file : files) {
        urls << QUrl::fromLocalFile(file);
    }
    DropUrls(target, urls);
}

void TMainWindowFixture::DropUrls(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
    QCoreApplication::processEvents();
}

QByteArray TMainWindowFixture::CreateAs(const QString& name) {
    FDialogs->Targets.push_back(FDir->filePath(name));
    Child<QToolButton>("btnCreateOpen")->click();
    Child<QPushButton>("btnCreate")->click();
    QFile file(FDir->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TMainWindowFixture::Created(const QString& file) {
    return QStringLiteral("Kavro|已经成功的完成!\n") + file;
}
