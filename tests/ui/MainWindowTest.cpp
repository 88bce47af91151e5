#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <cstdio>

#include "engine/CaSaverForms.h"
#include "pack/InstallerReader.h"
#include "settings/CodePage.h"
#include "support/FailingTimerFactory.h"
#include "support/FakeScreen.h"
#include "support/FakeTimer.h"
#include "support/FakeWorker.h"
#include "support/RecordingFileBrowser.h"
#include "support/RecordingMediaControl.h"
#include "support/RecordingSaverFlag.h"
#include "support/RecordingWavePlayer.h"
#include "toolkit/WidgetCanvas.h"
#include "ui/BaFunction.h"
#include "ui/Messages.h"
#include "ui/SaverOpener.h"
#include "ui/ScriptedDialogs.h"
#include "ui/UpDown.h"
#include "ui/WhenModal.h"
#include "ui/WizardRules.h"
#include "ui/uAbout.h"
#include "ui/uDescription.h"
#include "ui/uMain.h"
#include "ui/uText.h"
#include "ui/uTransitions.h"

namespace {

const QString Hint = QStringLiteral("提示!");
const QString NoPictures = QStringLiteral("你还没有插入任何图片呢!");
const QString NoTitle = QStringLiteral("你还没输入标题吧!");

// Keeps the value a progress bar shows each time it is painted.
class TPaintRecorder : public QObject {
public:
    explicit TPaintRecorder(QProgressBar* bar) : FBar(bar) { bar->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == FBar && event->type() == QEvent::Paint) {
            Values << FBar->value();
        }
        return false;
    }
    QList<int> Values;

private:
    QProgressBar* FBar;
};

}  // namespace

class TMainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("KAVRO")); }
    void init();
    void cleanup();

    void showsItsLayout();
    void insertKeepsTheNewest255AndSelectsFirst();
    void insertWhileEntry7IsSelectedSelectsFirst();
    void placesThumbnail_data();
    void placesThumbnail();
    void previewBoxHidesAndShowsThumbnail();
    void keyboardSelectionShowsThumbnail();
    void dragSelectionShowsThumbnail();
    void undecodablePictureReportsAndKeepsThumbnail();
    void thumbnailsDecodeOnTheWorker();
    void deletingOnlyEntryDisablesAtIdle();
    void deletingMiddleKeepsIndexAndThumbnail();
    void deletingLastSelectsNewLast();
    void namesOutputFromTitle();
    void refusesCreateWithoutTitle_data();
    void refusesCreateWithoutTitle();
    void titleExitReplacesChosenTarget();
    void onlyMovingToAnotherControlLeavesTitle();
    void enablesBackAndNextByPage();
    void pageSwitchesStopAndRestartPanelPreview();
    void enteringCreatePageWithoutPicturesStartsNothing();
    void fullScreenPreviewWithoutPicturesRefuses();
    void fullScreenPreviewStopsAndRestartsPanel();
    void panelPreviewDrawsOnThePanel();
    void showThatCannotBeBuiltIsReported();
    void createsInstallerEndToEnd();
    void missingSoundFailsBuildAndClearsProgress();
    void chosenTargetPassesWithoutTitleAndOpensDefaultFolder();
    void colourCancelStillSetsPreviewPanel();
    void fullListGivesPictureCount255();
    void soundButtonsDriveThePlayer();
    void captionSlotStaysWithThePosition();
    void captionNeedsASelection();
    void transitionsComeBackOnlyOnOk();
    void descriptionComesBackOnlyOnOk();
    void aboutOpensFromItsEntry();
    void outputGoesBelowDocumentsWhenProgramFolderIsReadOnly();
    void findsInstalledStubsBesideBin();
    void successNamesTheFileWhenNoFileManagerStarts();
    void dropsPicturesAndFolders_data();
    void dropsPicturesAndFolders();
    void dropsASoundOnTheOptionsPage();
    void namesThatAreNotUtf8GoThroughUnchanged();
    void warnsOnceAboutCharactersGbkLacks_data();
    void warnsOnceAboutCharactersGbkLacks();
    void dialogsRefuseOnceWhatGbkCannotHold();
    void reopenedSaverCreatesTheSameBytes();
    void damagedSaverLeavesTheWizard();
    void writesTheFilesOnceAndNeverOverwrites();

private:
    template <typename T>
    T* Child(const char* name) {
        T* child = FForm->findChild<T*>(name);
        if (child == nullptr) {
            qFatal("no control %s", name);
        }
        return child;
    }
    QString Picture(const QString& name, int width, int height, QRgb color = qRgb(200, 40, 40));
    QStringList Names(const QString& prefix, int count);
    void Idle() { emit QAbstractEventDispatcher::instance()->aboutToBlock(); }
    void TypeTitle(const QString& text);
    // Inserts the files through "插入图片".
    void Insert(const QStringList& files);
    // Inserts a red 40 × 30 and a blue 30 × 40 picture.
    void InsertRedAndBlue();
    void LeaveTitle() { FForm->edtTitleExit(); }
    void ControlsFitTheirPages();
    // A new window whose program lies in programDir.
    void Reopen(const QString& programDir);
    // Drops the files on target as a file manager would.
    void Drop(QWidget* target, const QStringList& files);
    void DropUrls(QWidget* target, const QList<QUrl>& urls);
    QString Folder(const QString& name, const QStringList& files);
    // Creates the saver as name in the temporary folder and answers its bytes.
    QByteArray CreateAs(const QString& name);
    void EditCaption(int row, const QString& text);
    // Chooses tune.wav, 1000 bytes, through the sound button.
    void ChooseSound();
    // A show of three pictures and a sound, titled title.
    void MakeShow(const QString& title);

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TFakeTimerFactory> FTimers;
    std::unique_ptr<TFakeScreen> FScreen;
    std::unique_ptr<TRecordingMediaControl> FMedia;
    std::unique_ptr<TRecordingWavePlayer> FWave;
    std::unique_ptr<TRecordingSaverFlag> FFlag;
    std::unique_ptr<TRecordingFileBrowser> FBrowser;
    std::unique_ptr<TScriptedDialogs> FDialogs;
    std::unique_ptr<TfrmMain> FForm;
    std::unique_ptr<TfrmAbout> FAbout;
    std::unique_ptr<TfrmTransitions> FTransitions;
    std::unique_ptr<TfrmDescription> FDescription;
    std::unique_ptr<TfrmText> FText;
    QStringList FMessages;
};

void TMainWindowTest::init() {
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    FTimers = std::make_unique<TFakeTimerFactory>();
    FScreen = std::make_unique<TFakeScreen>(64, 48);
    FMedia = std::make_unique<TRecordingMediaControl>();
    FWave = std::make_unique<TRecordingWavePlayer>();
    FFlag = std::make_unique<TRecordingSaverFlag>();
    FBrowser = std::make_unique<TRecordingFileBrowser>();
    FDialogs = std::make_unique<TScriptedDialogs>();
    const TWizardServices services{{*FTimers, *FScreen, *FMedia, *FWave},
                                   *FFlag,
                                   *FBrowser,
                                   *FDialogs,
                                   FDir->path().toStdString() + "/"};
    FForm = std::make_unique<TfrmMain>(services);
    FAbout = std::make_unique<TfrmAbout>();
    FTransitions = std::make_unique<TfrmTransitions>();
    FDescription = std::make_unique<TfrmDescription>();
    FText = std::make_unique<TfrmText>();
    FForm->SetForms({FAbout.get(), FTransitions.get(), FDescription.get(), FText.get()});
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
    FMessages.clear();
    SetMessageHook(
        [this](const QString& caption, const QString& text) { FMessages << caption + "|" + text; });
}

void TMainWindowTest::cleanup() {
    SetMessageHook({});
    SetQuestionHook({});
    FForm.reset();
    FText.reset();
    FDescription.reset();
    FTransitions.reset();
    FAbout.reset();
    FDir.reset();
}

QString TMainWindowTest::Picture(const QString& name, int width, int height, QRgb color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    const QString path = FDir->filePath(name);
    if (!image.save(path)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QStringList TMainWindowTest::Names(const QString& prefix, int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names << FDir->filePath(QStringLiteral("%1%2.jpg").arg(prefix).arg(i));
    }
    return names;
}

void TMainWindowTest::Insert(const QStringList& files) {
    FDialogs->Pictures.push_back(files);
    Child<QPushButton>("btnPicInsert")->click();
}

void TMainWindowTest::InsertRedAndBlue() {
    Insert({Picture("red.bmp", 40, 30, qRgb(255, 0, 0)),
            Picture("blue.bmp", 30, 40, qRgb(0, 0, 255))});
}

void TMainWindowTest::TypeTitle(const QString& text) {
    // As a paste: key clicks cannot carry Chinese text.
    auto* title = Child<QLineEdit>("edtTitle");
    title->selectAll();
    title->insert(text);
}

void TMainWindowTest::ControlsFitTheirPages() {
    // The controls a user works with on each page, and the buttons below the pages.
    auto* tabs = Child<QTabWidget>("Page");
    const QRect pageRect = tabs->currentWidget()->rect();
    QList<QWidget*> areas;
    for (int i = 0; i < tabs->count(); ++i) {
        areas << tabs->widget(i);
    }
    areas << FForm.get();
    for (QWidget* area : areas) {
        const QRect bounds = area == FForm.get() ? FForm->rect() : pageRect;
        QList<std::pair<QString, QRect>> placed;
        for (QWidget* w : area->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<QComboBox*>(w) || qobject_cast<QListWidget*>(w) ||
                                 qobject_cast<QProgressBar*>(w) || qobject_cast<TUpDown*>(w) ||
                                 w->objectName().startsWith("pnl");
            QWidget* owner = w->parentWidget();
            while (owner != nullptr && owner != area && owner != tabs && !areas.contains(owner)) {
                owner = owner->parentWidget();
            }
            // Hidden on purpose (the update button) or part of another control (a combo's
            // list, the up-down's arrows, the tab bar).
            if (!control || owner != area || w->objectName() == "btnUpdate" ||
                w->objectName().isEmpty()) {
                continue;
            }
            const QRect r(w->mapTo(area, QPoint(0, 0)), w->size());
            QVERIFY2(bounds.contains(r), qPrintable(w->objectName() + " leaves its page"));
            for (const auto& [name, other] : placed) {
                QVERIFY2(!r.intersects(other), qPrintable(w->objectName() + " covers " + name));
            }
            placed.append({w->objectName(), r});
        }
    }
}

void TMainWindowTest::showsItsLayout() {
    QCOMPARE(FForm->size(), QSize(602, 358));
    QCOMPARE(FForm->windowTitle(), QStringLiteral("Kavro - 世界上最棒的屏保制作程序"));
    auto* page = Child<QTabWidget>("Page");
    QCOMPARE(page->count(), 3);
    QCOMPARE(page->currentIndex(), 0);
    QCOMPARE(page->tabText(0), QStringLiteral("      第一步(图片)      "));
    QCOMPARE(page->tabText(1), QStringLiteral("      第二步(选项)      "));
    QCOMPARE(page->tabText(2), QStringLiteral("      第三步(创建)      "));

    const std::pair<const char*, QString> buttons[] = {{"btnPicInsert", "插入图片"},
                                                       {"btnPicDelete", "删除图片"},
                                                       {"btnPicText", "添加文本"},
                                                       {"btnTransitions", "过渡效果"},
                                                       {"btnDescription", "描述信息"},
                                                       {"btnPreview", "点击这里"},
                                                       {"btnCreate", "点击这里"},
                                                       {"btnBack", "后退"},
                                                       {"btnNext", "下一步"},
                                                       {"btnExit", "退出"}};
    for (const auto& [name, caption] : buttons) {
        QCOMPARE(Child<QPushButton>(name)->text(), caption);
    }
    const std::pair<const char*, QString> hints[] = {{"btnSoundOpen", "打开"},
                                                     {"btnSoundPlay", "播放"},
                                                     {"btnSoundStop", "停止"},
                                                     {"btnSoundClear", "清除"}};
    for (const auto& [name, hint] : hints) {
        QCOMPARE(Child<QToolButton>(name)->toolTip(), hint);
    }
    // The sizes of the thumbnail area and the preview panel show in the thumbnail and preview
    // tests; here every control must be wholly on its page and clear of the others.
    ControlsFitTheirPages();
    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), TitlePlaceholder);
    QCOMPARE(PanelColor(Child<QWidget>("pnlPicBack")), RGBColor(209, 243, 139));
    QCOMPARE(PanelColor(Child<QWidget>("pnlBackColor")), RGBColor(0, 128, 255));
    QCOMPARE(PanelColor(Child<QWidget>("pnlPreview")), RGBColor(0, 128, 255));
    QVERIFY(Child<QCheckBox>("chkPicPreview")->isChecked());
    auto* size = Child<QComboBox>("cboImageSize");
    QCOMPARE(size->count(), 2);
    QCOMPARE(size->itemText(0), QStringLiteral("原始大小"));
    QCOMPARE(size->itemText(1), QStringLiteral("扩展全屏"));
    QCOMPARE(size->currentIndex(), 0);
    QCOMPARE(Child<QLineEdit>("edtInterval")->text(), QStringLiteral("5"));
    QCOMPARE(Child<TUpDown>("udInterval")->Position(), 5);
    QVERIFY(Child<QRadioButton>("rdoSeqNor")->isChecked());
    QVERIFY(Child<QRadioButton>("RadioButton1")->isChecked());
    QVERIFY(Child<QLineEdit>("edtSound")->isReadOnly());
    QVERIFY(Child<QLineEdit>("edtCreate")->isReadOnly());
    QVERIFY(Child<QLineEdit>("edtCreate")->text().isEmpty());
    QCOMPARE(Child<QProgressBar>("pbCreate")->maximum(), 11);
    QCOMPARE(Child<QProgressBar>("pbCreate")->value(), 0);
    QVERIFY(!Child<QPushButton>("btnBack")->isEnabled());
    QCOMPARE(Child<QWidget>("btnUpdate")->x(), -100);
    QCOMPARE(Child<QAction>("mAbout")->text(), QStringLiteral("关于 Kavro"));
    QCOMPARE(Child<QPushButton>("btnPicInsert")->palette().color(QPalette::ButtonText),
             QColor(0, 128, 128));
    QCOMPARE(FForm->font().pixelSize(), 12);
    QVERIFY(FForm->Title().isEmpty());
    QCOMPARE(FForm->OutputDir(), FForm->ProgramDir() + "ScreenSavers/");
}

void TMainWindowTest::insertKeepsTheNewest255AndSelectsFirst() {
    QStringList files = Names("p", 300);
    files[45] = Picture("first.bmp", 1600, 900);
    Insert(files);
    QCOMPARE(FDialogs->Folders, QStringList({QString::fromStdString(FForm->ProgramDir())}));
    auto* list = Child<QListWidget>("lstPicFiles");
    QCOMPARE(list->count(), 255);
    QCOMPARE(list->item(0)->text(), files[45]);
    QCOMPARE(list->item(254)->text(), files[299]);
    QCOMPARE(list->currentRow(), 0);
    auto* thumbnail = Child<QLabel>("imgPic");
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->geometry(), QRect(0, 17, 181, 102));
}

void TMainWindowTest::insertWhileEntry7IsSelectedSelectsFirst() {
    FDialogs->Pictures.push_back(Names("a", 10));
    FDialogs->Pictures.push_back(Names("b", 2));
    auto* insert = Child<QPushButton>("btnPicInsert");
    insert->click();
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(7);
    QCOMPARE(FForm->Pictures().Selected(), 7);
    insert->click();
    QCOMPARE(list->count(), 12);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(FForm->Pictures().Selected(), 0);
    insert->click();  // cancelled: nothing changes
    QCOMPARE(list->count(), 12);
}

void TMainWindowTest::placesThumbnail_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("1600x900") << QSize(1600, 900) << QRect(0, 17, 181, 102);
    QTest::newRow("600x800") << QSize(600, 800) << QRect(39, 0, 103, 137);
    QTest::newRow("362x274") << QSize(362, 274) << QRect(0, 0, 181, 137);
}

void TMainWindowTest::placesThumbnail() {
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    Insert({Picture("p.jpg", picture.width(), picture.height())});
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), expected);
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->pixmap().size(), expected.size());
}

void TMainWindowTest::previewBoxHidesAndShowsThumbnail() {
    InsertRedAndBlue();
    auto* box = Child<QCheckBox>("chkPicPreview");
    auto* thumbnail = Child<QLabel>("imgPic");
    box->click();
    QVERIFY(!thumbnail->isVisible());
    auto* list = Child<QListWidget>("lstPicFiles");
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(!thumbnail->isVisible());
    box->click();
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
}

void TMainWindowTest::undecodablePictureReportsAndKeepsThumbnail() {
    const QString good = Picture("good.bmp", 30, 40);
    QFile bad(FDir->filePath("bad.jpg"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    Insert({good, bad.fileName()});
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    auto* list = Child<QListWidget>("lstPicFiles");
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FMessages[0].startsWith("KAVRO|"));
    QVERIFY(FMessages[0].contains(bad.fileName()));
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    QCOMPARE(thumbnail->pixmap().size(), QSize(103, 137));
}

// With a worker the window answers while a thumbnail decodes; only the latest selection is
// shown, a failure is reported when its decode ends, and nothing arrives once the window is gone.
void TMainWindowTest::thumbnailsDecodeOnTheWorker() {
    TFakeWorker worker;
    FForm.reset();
    FForm = std::make_unique<TfrmMain>(
        TWizardServices{{*FTimers, *FScreen, *FMedia, *FWave, nullptr, &worker},
                        *FFlag,
                        *FBrowser,
                        *FDialogs,
                        FDir->path().toStdString() + "/"});
    FForm->show();
    InsertRedAndBlue();
    auto* thumbnail = Child<QLabel>("imgPic");
    QVERIFY(!thumbnail->isVisible());
    QTest::keyClick(Child<QListWidget>("lstPicFiles"), Qt::Key_Down);
    QCOMPARE(worker.Jobs.size(), size_t(2));
    QVERIFY(worker.RunNext());
    QVERIFY(!thumbnail->isVisible());
    QVERIFY(worker.RunNext());
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));

    QFile::remove(FDir->filePath("red.bmp"));
    QFile bad(FDir->filePath("red.bmp"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    QTest::keyClick(Child<QListWidget>("lstPicFiles"), Qt::Key_Up);
    QVERIFY(FMessages.isEmpty());
    QVERIFY(worker.RunNext());
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FMessages[0].contains("red.bmp"));
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));

    QTest::keyClick(Child<QListWidget>("lstPicFiles"), Qt::Key_Down);
    FForm.reset();
    QVERIFY(worker.RunNext());
    QCOMPARE(FMessages.size(), 1);
}

void TMainWindowTest::keyboardSelectionShowsThumbnail() {
    InsertRedAndBlue();
    auto* list = Child<QListWidget>("lstPicFiles");
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(FForm->Pictures().Selected(), 1);
    QCOMPARE(Child<QLabel>("imgPic")->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));
}

void TMainWindowTest::dragSelectionShowsThumbnail() {
    InsertRedAndBlue();
    auto* list = Child<QListWidget>("lstPicFiles");
    auto at = [this, list](int row) {
        return list->viewport()->mapTo(FForm.get(), list->visualItemRect(list->item(row)).center());
    };
    // Through the window, so that the application knows the button is held.
    QWindow* window = FForm->windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, at(0));
    QTest::mouseMove(window, at(1));
    QTest::mouseRelease(window, Qt::LeftButton, {}, at(1));
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(FForm->Pictures().Selected(), 1);
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));
    // Only the left button selects: the thumbnail keeps showing the selected entry.
    QTest::mouseClick(
        list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(FForm->Pictures().Selected(), 1);
}

void TMainWindowTest::deletingOnlyEntryDisablesAtIdle() {
    Insert({Picture("only.bmp", 20, 10)});
    Idle();
    auto* remove = Child<QPushButton>("btnPicDelete");
    QVERIFY(remove->isEnabled());
    QVERIFY(Child<QCheckBox>("chkPicPreview")->isEnabled());
    remove->click();
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 0);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->currentRow(), -1);
    QVERIFY(Child<QLabel>("imgPic")->isVisible());  // until the next idle moment
    Idle();
    QVERIFY(!remove->isEnabled());
    QVERIFY(!Child<QCheckBox>("chkPicPreview")->isEnabled());
    QVERIFY(!Child<QLabel>("imgPic")->isVisible());
}

void TMainWindowTest::deletingMiddleKeepsIndexAndThumbnail() {
    QStringList files;
    for (int i = 0; i < 5; ++i) {
        files << Picture(QStringLiteral("p%1.bmp").arg(i), 20 + 10 * i, 20, qRgb(50 * i, 0, 0));
    }
    Insert(files);
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(2);
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), QRect(0, 23, 181, 90));  // 40 x 20: 90.5 rounds to 90
    Child<QPushButton>("btnPicDelete")->click();
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(list->item(2)->text(), files[3]);
    QCOMPARE(thumbnail->geometry(), QRect(0, 23, 181, 90));  // still the deleted picture
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QCOMPARE(thumbnail->geometry(), QRect(0, 32, 181, 72));  // 50 x 20
}

void TMainWindowTest::deletingLastSelectsNewLast() {
    Insert(Names("p", 3));
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(2);
    Child<QPushButton>("btnPicDelete")->click();
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(FForm->Pictures().Selected(), 1);
}

void TMainWindowTest::namesOutputFromTitle() {
    TypeTitle(QStringLiteral("  My  Show  "));
    QCOMPARE(FForm->Title(), QStringLiteral("My  Show"));
    LeaveTitle();
    const QString expected = QString::fromStdString(FForm->OutputDir()) + "MyShow.run";
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(), expected);
    FForm->CopyControlsToSettings();
    QCOMPARE(QByteArray(FForm->Settings().Title), QByteArray("  My  Show  "));

    TypeTitle(QStringLiteral("a/b"));
    LeaveTitle();
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(),
             QString::fromStdString(FForm->OutputDir()) + "a_b.run");
    FForm->CopyControlsToSettings();
    QCOMPARE(QByteArray(FForm->Settings().Title), QByteArray("a/b"));
}

void TMainWindowTest::refusesCreateWithoutTitle_data() {
    QTest::addColumn<QString>("title");
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("empty") << QString();
    QTest::newRow("placeholder") << TitlePlaceholder;
}

void TMainWindowTest::refusesCreateWithoutTitle() {
    QFETCH(QString, title);
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle(QStringLiteral("Something"));
    LeaveTitle();
    QVERIFY(!Child<QLineEdit>("edtCreate")->text().isEmpty());
    TypeTitle(title);
    LeaveTitle();
    QVERIFY(Child<QLineEdit>("edtCreate")->text().isEmpty());
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({Hint + "|" + NoTitle}));
    QVERIFY(!QDir(QString::fromStdString(FForm->OutputDir())).exists());
}

void TMainWindowTest::titleExitReplacesChosenTarget() {
    const QString chosen = FDir->filePath("elsewhere/mine.exe");
    FDialogs->Targets.push_back(chosen);
    Child<QToolButton>("btnCreateOpen")->click();
    QCOMPARE(FDialogs->Folders, QStringList({QString::fromStdString(FForm->OutputDir())}));
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(), chosen);
    TypeTitle(QStringLiteral("Show"));
    LeaveTitle();
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(),
             QString::fromStdString(FForm->OutputDir()) + "Show.run");
}

void TMainWindowTest::onlyMovingToAnotherControlLeavesTitle() {
    TypeTitle(QStringLiteral("Show"));
    auto* title = Child<QLineEdit>("edtTitle");
    auto* output = Child<QLineEdit>("edtCreate");
    QFocusEvent toOtherWindow(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(title, &toOtherWindow);
    QVERIFY(output->text().isEmpty());
    QFocusEvent toNextControl(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(title, &toNextControl);
    QCOMPARE(output->text(), QString::fromStdString(FForm->OutputDir()) + "Show.run");
}

void TMainWindowTest::enablesBackAndNextByPage() {
    auto* back = Child<QPushButton>("btnBack");
    auto* next = Child<QPushButton>("btnNext");
    auto* page = Child<QTabWidget>("Page");
    Idle();
    QVERIFY(!back->isEnabled());
    QVERIFY(next->isEnabled());
    next->click();
    Idle();
    QCOMPARE(page->currentIndex(), 1);
    QVERIFY(back->isEnabled());
    QVERIFY(next->isEnabled());
    next->click();
    Idle();
    QCOMPARE(page->currentIndex(), 2);
    QVERIFY(back->isEnabled());
    QVERIFY(!next->isEnabled());
    back->click();
    back->click();
    Idle();
    QCOMPARE(page->currentIndex(), 0);
    QVERIFY(!back->isEnabled());
}

void TMainWindowTest::pageSwitchesStopAndRestartPanelPreview() {
    Insert({Picture("p.bmp", 16, 12)});
    auto* page = Child<QTabWidget>("Page");
    page->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());
    QCOMPARE(FForm->Settings().IntervalSeconds, 5);
    QCOMPARE(FFlag->Calls, std::vector<bool>({true}));
    page->setCurrentIndex(0);
    QVERIFY(!FForm->PanelPreviewRunning());
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false}));
    Child<TUpDown>("udInterval")->SetPosition(9);
    page->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());
    QCOMPARE(FForm->Settings().IntervalSeconds, 9);
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false, true}));
    Idle();
    Child<QPushButton>("btnBack")->click();
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(!FFlag->Running);
}

void TMainWindowTest::enteringCreatePageWithoutPicturesStartsNothing() {
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(FFlag->Calls.empty());
    QVERIFY(FMessages.isEmpty());
}

void TMainWindowTest::fullScreenPreviewWithoutPicturesRefuses() {
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    Child<QPushButton>("btnPreview")->click();
    QCOMPARE(FMessages, QStringList({Hint + "|" + NoPictures}));
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(FFlag->Calls.empty());
}

void TMainWindowTest::fullScreenPreviewStopsAndRestartsPanel() {
    Insert({Picture("p.bmp", 16, 12)});
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());
    bool panelRanDuringShow = true;
    WhenModal<TCaSaverForm>([this, &panelRanDuringShow](TCaSaverForm* saver) {
        panelRanDuringShow = FForm->PanelPreviewRunning();
        QCOMPARE(FFlag->Calls, std::vector<bool>({true, false, true}));
        QTest::keyClick(saver, Qt::Key_Space);
    });
    Child<QPushButton>("btnPreview")->click();
    QVERIFY(!panelRanDuringShow);
    QVERIFY(FForm->PanelPreviewRunning());
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false, true, false, true}));
    QVERIFY(FMessages.isEmpty());
}

void TMainWindowTest::panelPreviewDrawsOnThePanel() {
    Insert({Picture("p.bmp", 16, 12, qRgb(255, 0, 0))});
    FDialogs->Colors.push_back(65280);
    QTest::mouseClick(Child<QWidget>("pnlBackColor"), Qt::LeftButton);
    auto* panel = Child<TWidgetCanvas>("pnlPreview");
    QCOMPARE(panel->Image().pixel(72, 54), qRgb(0, 255, 0));
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QVERIFY(FTimers->Last != nullptr);
    QCOMPARE(FTimers->Last->Interval(), 100u);
    QVERIFY(FTimers->Last->Fire());
    // The picture has the screen's shape, so it covers the whole panel once its effect ended.
    QCOMPARE(panel->Image().size(), QSize(145, 109));
    QCOMPARE(panel->Image().pixel(1, 1), qRgb(255, 0, 0));
    QCOMPARE(panel->Image().pixel(72, 54), qRgb(255, 0, 0));
    QCOMPARE(FTimers->Last->Interval(), 5000u);
}

// Building a show may fail (its screen-sized bitmaps); the panel preview and the full-screen
// preview each show the error box instead of throwing into the event loop.
void TMainWindowTest::showThatCannotBeBuiltIsReported() {
    TFailingTimerFactory timers;
    const TWizardServices services{{timers, *FScreen, *FMedia, *FWave},
                                   *FFlag,
                                   *FBrowser,
                                   *FDialogs,
                                   FDir->path().toStdString() + "/"};
    FForm = std::make_unique<TfrmMain>(services);
    FForm->show();
    Insert({Picture("p.bmp", 16, 12)});
    const QString error = "KAVRO|" + QString::fromUtf8(TFailingTimerFactory::Message);

    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QCOMPARE(FMessages, QStringList({error}));
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(FFlag->Calls.empty());

    // The full-screen window closes on its own; the panel's restart fails once more.
    Child<QPushButton>("btnPreview")->click();
    QCOMPARE(FMessages, QStringList({error, error, error}));
    QVERIFY(!FForm->PanelPreviewRunning());
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false}));
    QVERIFY(!FFlag->Running);
}

void TMainWindowTest::createsInstallerEndToEnd() {
    const QString first = Picture("first.jpg", 32, 24);
    const QString second = Picture("second.bmp", 8, 6);
    Insert({first, second});
    ChooseSound();
    TypeTitle(QStringLiteral(" 我的 Show "));
    LeaveTitle();
    auto* page = Child<QTabWidget>("Page");
    page->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());

    auto* progress = Child<QProgressBar>("pbCreate");
    QList<int> steps;
    connect(progress, &QProgressBar::valueChanged, this, [&steps](int value) { steps << value; });
    TPaintRecorder painted(progress);
    Child<QPushButton>("btnCreate")->click();

    QCOMPARE(steps, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
    // The build holds the event loop, yet the bar was painted at every step.
    for (int step = 1; step <= 11; ++step) {
        QVERIFY2(painted.Values.contains(step), qPrintable(QString::number(step)));
    }
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!"}));
    QCOMPARE(progress->value(), 0);
    QVERIFY(!FForm->PanelPreviewRunning());
    QCOMPARE(FBrowser->Folders, std::vector<std::string>({FForm->OutputDir()}));
    QVERIFY(QApplication::overrideCursor() == nullptr);

    TInstallerReader reader(FForm->OutputDir() + "我的Show.run");
    // " 我的 Show " in GBK: the title as typed, blanks kept, in the trailer and in the record.
    const QByteArray title("\x20\xCE\xD2\xB5\xC4\x20Show\x20", 11);
    const TSaverSettings record = reader.Settings();
    QCOMPARE(QByteArray(reader.Trailer().Title, 12), title + '\0');
    QCOMPARE(QByteArray(record.Title, 12), title + '\0');
    QCOMPARE(reader.Ie().Size + reader.Ss().Size + reader.Ui().Size, int64_t{0});  // no stubs
    QCOMPARE(int{record.PictureCount}, 2);
    QCOMPARE(+record.IntervalSeconds, 5);
    QCOMPARE(int{record.SoundIncluded}, 1);
    QCOMPARE(QByteArray(record.SoundExt, 5), QByteArray(".wav\0", 5));
    QCOMPARE(reader.PictureCount(), 2);
    const QStringList pictures = {first, second};
    for (int k = 0; k < 2; ++k) {
        QFile picture(pictures[k]);
        QVERIFY(picture.open(QIODevice::ReadOnly));
        QCOMPARE(QByteArray::fromStdString(reader.PictureBytes(k)), picture.readAll());
    }
    QVERIFY(reader.HasSound());
    QCOMPARE(reader.SoundExt(), std::string(".wav"));
    QCOMPARE(reader.SoundBytes(), std::string(1000, 'w'));
}

void TMainWindowTest::missingSoundFailsBuildAndClearsProgress() {
    Insert({Picture("p.bmp", 8, 8)});
    const QString missing = FDir->filePath("gone.mp3");
    FDialogs->Sounds.push_back(missing);
    Child<QToolButton>("btnSoundOpen")->click();
    TypeTitle(QStringLiteral("Show"));
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();

    QCOMPARE(
        FMessages,
        QStringList({"KAVRO|" + QStringLiteral("无法打开文件 %1\n%1：文件不存在").arg(missing)}));
    QCOMPARE(FForm->Settings().SoundIncluded, 0);
    QCOMPARE(FForm->Settings().PlaySound, 0);
    QCOMPARE(QByteArray(FForm->Settings().SoundExt, 5), QByteArray(".mp3\0", 5));
    QCOMPARE(Child<QProgressBar>("pbCreate")->value(), 0);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(FBrowser->Folders.empty());
    QVERIFY(!QFile::exists(QString::fromStdString(FForm->OutputDir()) + "Show.run"));
}

void TMainWindowTest::chosenTargetPassesWithoutTitleAndOpensDefaultFolder() {
    Insert({Picture("p.bmp", 8, 8)});
    QVERIFY(QDir(FDir->path()).mkpath("elsewhere"));
    const QString chosen = FDir->filePath("elsewhere/mine.exe");
    FDialogs->Targets.push_back(chosen);
    Child<QToolButton>("btnCreateOpen")->click();
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!"}));
    QVERIFY(QFile::exists(chosen));
    QVERIFY(QDir(QString::fromStdString(FForm->OutputDir())).exists());
    QCOMPARE(FBrowser->Folders, std::vector<std::string>({FForm->OutputDir()}));
    // No title was given: the record holds the title edit's text as it stands.
    QCOMPARE(QByteArray(FForm->Settings().Title),
             QByteArray::fromStdString(Utf8ToGbk(TitlePlaceholder.toStdString())));
}

void TMainWindowTest::colourCancelStillSetsPreviewPanel() {
    auto* swatch = Child<QWidget>("pnlBackColor");
    auto* preview = Child<QWidget>("pnlPreview");
    SetPanelColor(preview, clBlack);
    // Neither the right button nor a release away from the swatch is a click on it.
    QTest::mouseClick(swatch, Qt::RightButton);
    QTest::mousePress(swatch, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(swatch, Qt::LeftButton, {}, QPoint(60, 5));
    QVERIFY(FDialogs->OfferedColors.empty());
    QCOMPARE(PanelColor(preview), clBlack);
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(FDialogs->OfferedColors, std::deque<TColor>({16744448}));
    QCOMPARE(PanelColor(swatch), 16744448);
    QCOMPARE(PanelColor(preview), 16744448);

    FDialogs->Colors.push_back(65280);
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(PanelColor(swatch), 65280);
    QCOMPARE(PanelColor(preview), 65280);
    FForm->CopyControlsToSettings();
    QCOMPARE(FForm->Settings().BackColor, 65280);
}

void TMainWindowTest::fullListGivesPictureCount255() {
    QStringList files = Names("p", 255);
    files[0] = Picture("p0.bmp", 8, 8);
    Insert(files);
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QCOMPARE(FForm->Settings().PictureCount, 255);
}

void TMainWindowTest::soundButtonsDriveThePlayer() {
    QFile sound(FDir->filePath("a.mp3"));
    QVERIFY(sound.open(QIODevice::WriteOnly));
    sound.close();
    auto* page = Child<QTabWidget>("Page");
    page->setCurrentIndex(1);
    auto* play = Child<QToolButton>("btnSoundPlay");
    play->click();  // no name: nothing
    QVERIFY(FMedia->Commands.empty());
    FDialogs->Sounds.push_back(sound.fileName());
    Child<QToolButton>("btnSoundOpen")->click();
    play->click();
    const std::string open = "open \"" + sound.fileName().toStdString() + "\" alias mp wait";
    QCOMPARE(FMedia->Commands, std::vector<std::string>({open, "play mp repeat"}));
    page->setCurrentIndex(0);  // leaving the options page stops the sound
    QCOMPARE(FMedia->Commands,
             std::vector<std::string>({open, "play mp repeat", "stop mp", "close mp"}));
    page->setCurrentIndex(1);
    play->click();
    Child<QToolButton>("btnSoundClear")->click();
    QVERIFY(Child<QLineEdit>("edtSound")->text().isEmpty());
    QCOMPARE(FMedia->Commands.back(), std::string("close mp"));
    QCOMPARE(FMedia->Commands.size(), 8u);
    QFile::remove(sound.fileName());
    FDialogs->Sounds.push_back(sound.fileName());
    Child<QToolButton>("btnSoundOpen")->click();
    play->click();  // the file is gone: nothing
    QCOMPARE(FMedia->Commands.size(), 8u);
}

void TMainWindowTest::captionSlotStaysWithThePosition() {
    Insert(Names("p", 5));
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(2);
    WhenModal<TfrmText>([](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(QStringLiteral("第三张"));
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnPicText")->click();
    const char gbk[] = "\xB5\xDA\xC8\xFD\xD5\xC5";  // 第三张
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[2].Text), QByteArray(gbk));
    QCOMPARE(FForm->Settings().PictureTexts[3].Text[0], '\0');
    Child<QPushButton>("btnPicDelete")->click();
    // The picture that moved up to position 2 now carries that caption.
    QCOMPARE(list->item(2)->text(), FDir->filePath("p3.jpg"));
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[2].Text), QByteArray(gbk));

    WhenModal<TfrmText>([](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(QStringLiteral("changed"));
        dialog->reject();
    });
    Child<QPushButton>("btnPicText")->click();
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[2].Text), QByteArray(gbk));
}

void TMainWindowTest::captionNeedsASelection() {
    const TSaverSettings before = FForm->Settings();
    bool opened = false;
    QTimer* watcher = WhenModal<TfrmText>([&opened](TfrmText* dialog) {
        opened = true;
        dialog->reject();
    });
    Child<QPushButton>("btnPicText")->click();
    QCoreApplication::processEvents();
    delete watcher;
    QVERIFY(!opened);
    QVERIFY(std::memcmp(&before, &FForm->Settings(), sizeof before) == 0);
}

void TMainWindowTest::transitionsComeBackOnlyOnOk() {
    WhenModal<TfrmTransitions>([](TfrmTransitions* dialog) {
        for (int k = 1; k <= 20; ++k) {
            dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(k))->setChecked(k == 3);
        }
        dialog->reject();
    });
    Child<QPushButton>("btnTransitions")->click();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(FForm->Settings().Transitions), 20),
             QByteArray(20, '\1'));

    WhenModal<TfrmTransitions>([](TfrmTransitions* dialog) {
        QVERIFY(
            dialog->findChild<QCheckBox*>("CheckBox7")->isChecked());  // reloaded from the record
        for (int k = 1; k <= 20; ++k) {
            dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(k))->setChecked(k == 3);
        }
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnTransitions")->click();
    QByteArray expected(20, '\0');
    expected[2] = 1;
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(FForm->Settings().Transitions), 20),
             expected);
}

void TMainWindowTest::descriptionComesBackOnlyOnOk() {
    auto fill = [](TfrmDescription* dialog) {
        dialog->findChild<QCheckBox*>("chkExists")->setChecked(true);
        dialog->findChild<QPlainTextEdit*>("Memo")->setPlainText("line 1\nline 2");
        dialog->findChild<QLineEdit*>("edtA")->setText("www.example.org");
        dialog->findChild<QLineEdit*>("edtB")->setText(QStringLiteral("公司"));
        dialog->findChild<QLineEdit*>("edtC")->setText("(c) 2026");
    };
    WhenModal<TfrmDescription>([&fill](TfrmDescription* dialog) {
        fill(dialog);
        dialog->reject();
    });
    Child<QPushButton>("btnDescription")->click();
    QCOMPARE(FForm->Settings().Description.ShowDescription, 0);
    QCOMPARE(FForm->Settings().Description.WebAddress[0], '\0');

    WhenModal<TfrmDescription>([&fill](TfrmDescription* dialog) {
        fill(dialog);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnDescription")->click();
    const TSaverDescription& d = FForm->Settings().Description;
    QCOMPARE(d.ShowDescription, 1);
    QCOMPARE(QByteArray(d.DescriptionText), QByteArray("line 1\r\nline 2"));
    QCOMPARE(QByteArray(d.WebAddress), QByteArray("www.example.org"));
    QCOMPARE(QByteArray(d.CompanyName), QByteArray("\xB9\xAB\xCB\xBE"));
    QCOMPARE(QByteArray(d.RightsNotice), QByteArray("(c) 2026"));
}

void TMainWindowTest::aboutOpensFromItsEntry() {
    QString caption;
    WhenModal<TfrmAbout>([&caption](TfrmAbout* dialog) {
        caption = dialog->windowTitle();
        dialog->findChild<QPushButton*>("btnExit")->click();
    });
    Child<QToolButton>("btnAbout")->click();
    QCOMPARE(caption, QStringLiteral("关于 Kavro"));
}

void TMainWindowTest::Reopen(const QString& programDir) {
    FForm.reset();
    const TWizardServices services{{*FTimers, *FScreen, *FMedia, *FWave},
                                   *FFlag,
                                   *FBrowser,
                                   *FDialogs,
                                   programDir.toStdString() + "/"};
    FForm = std::make_unique<TfrmMain>(services);
    FForm->SetForms({FAbout.get(), FTransitions.get(), FDescription.get(), FText.get()});
    FForm->show();
}

void TMainWindowTest::Drop(QWidget* target, const QStringList& files) {
    QList<QUrl> urls;
    for (const QString& file : files) {
        urls << QUrl::fromLocalFile(file);
    }
    DropUrls(target, urls);
}

void TMainWindowTest::DropUrls(QWidget* target, const QList<QUrl>& urls) {
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

QString TMainWindowTest::Folder(const QString& name, const QStringList& files) {
    QDir(FDir->path()).mkpath(name);
    for (const QString& file : files) {
        QFile(FDir->filePath(name + "/" + file)).open(QIODevice::WriteOnly);
    }
    return FDir->filePath(name);
}

void TMainWindowTest::outputGoesBelowDocumentsWhenProgramFolderIsReadOnly() {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    QVERIFY(QDir(home.path()).mkpath("Documents"));
    const QString readOnly = Folder("bin", {});
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    // Root creates files whatever a folder's modes say; in /proc nobody can.
    Reopen(geteuid() == 0 ? QStringLiteral("/proc") : readOnly);

    const QString documents = home.filePath("Documents/ScreenSavers/");
    QCOMPARE(QString::fromStdString(FForm->OutputDir()), documents);
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle("My Show");
    LeaveTitle();
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(), documents + "MyShow.run");
    Child<QToolButton>("btnCreateOpen")->click();  // cancelled
    QCOMPARE(FDialogs->Folders.last(), documents);
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!"}));
    QVERIFY(QFile::exists(documents + "MyShow.run"));
    QCOMPARE(FBrowser->Folders, std::vector<std::string>({documents.toStdString()}));

    // Without a documents folder, the home folder.
    QVERIFY(QDir(home.filePath("Documents")).removeRecursively());
    Reopen(geteuid() == 0 ? QStringLiteral("/proc") : readOnly);
    QCOMPARE(QString::fromStdString(FForm->OutputDir()), home.filePath("ScreenSavers/"));

    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

void TMainWindowTest::findsInstalledStubsBesideBin() {
    const QString bin = Folder("usr/bin", {});
    Folder("usr/lib/kavro", {});
    for (const auto& [name, bytes] : {std::pair{"ie.dat", "IE"}, std::pair{"ss.dat", "SSS"}}) {
        QFile stub(FDir->filePath(QStringLiteral("usr/lib/kavro/") + name));
        QVERIFY(stub.open(QIODevice::WriteOnly));
        stub.write(bytes);
    }
    auto build = [this, &bin] {
        Reopen(bin);
        Insert({Picture("p.bmp", 8, 8)});
        TypeTitle("s");
        LeaveTitle();
        Child<QPushButton>("btnCreate")->click();
        QFile file(bin + "/ScreenSavers/s.run");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QByteArray bytes = build();
    QVERIFY(bytes.startsWith("IESSS"));
    {
        const TInstallerReader reader((bin + "/ScreenSavers/s.run").toStdString());
        QCOMPARE(reader.Ss().Offset, 2);
        QCOMPARE(reader.Ss().Size, 3);
    }

    // A stub beside the program means that the program's own folder holds the stubs.
    QFile beside(bin + "/ie.dat");
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.write("MINE");
    beside.close();
    bytes = build();
    QVERIFY(bytes.startsWith("MINE"));
    QCOMPARE(TInstallerReader((bin + "/ScreenSavers/s.run").toStdString()).Ss().Offset, 0);
}

void TMainWindowTest::successNamesTheFileWhenNoFileManagerStarts() {
    FBrowser->Opens = false;
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle("Show");
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();
    const QString file = QString::fromStdString(FForm->OutputDir()) + "Show.run";
    QVERIFY(QFile::exists(file));
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!\n" + file}));
}

void TMainWindowTest::dropsPicturesAndFolders_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("list") << "lstPicFiles";
    QTest::newRow("thumbnail") << "pnlPicBack";
}

void TMainWindowTest::dropsPicturesAndFolders() {
    QFETCH(QString, target);
    const QString old = Picture("old.bmp", 40, 30);
    Insert({old});
    auto* list = Child<QListWidget>("lstPicFiles");
    QWidget* place = target == "lstPicFiles" ? list->viewport() : Child<QWidget>("pnlPicBack");
    const QString folder = Folder("holiday", {"b.jpg", "notes.txt", "a.BMP"});
    Folder("holiday/inner", {"c.jpg"});
    const QString red = Picture("red.jpeg", 8, 8);
    Drop(place,
         {red,
          folder,
          FDir->filePath("tune.mp3"),
          FDir->filePath("readme.txt"),
          FDir->path() + "/x"});

    QStringList shown;
    for (int i = 0; i < list->count(); ++i) {
        shown << list->item(i)->text();
    }
    QCOMPARE(shown, QStringList({old, red, folder + "/a.BMP", folder + "/b.jpg"}));
    QCOMPARE(list->currentRow(), 0);
    // Entry 0, 40 × 30, in the 181 × 137 area: 181 × round(181 × 30 / 40) = 136.
    QVERIFY(Child<QLabel>("imgPic")->isVisible());
    QCOMPARE(Child<QLabel>("imgPic")->geometry(), QRect(0, 0, 181, 136));
    QCOMPARE(FMessages,
             QStringList({"提示!|这些文件不能放在这里,已忽略:\ntune.mp3\nreadme.txt\nx"}));
}

void TMainWindowTest::dropsASoundOnTheOptionsPage() {
    Child<QTabWidget>("Page")->setCurrentIndex(1);
    const QString tune = FDir->filePath("tune.WAV");
    Drop(Child<QTabWidget>("Page")->widget(1),
         {Picture("p.bmp", 8, 8), tune, FDir->filePath("second.mid")});
    QCOMPARE(Child<QLineEdit>("edtSound")->text(), tune);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 0);
    QCOMPARE(FMessages, QStringList({"提示!|这些文件不能放在这里,已忽略:\np.bmp\nsecond.mid"}));
}

// Names in GBK, as old archives hold them: a picture, a folder of pictures and a sound dropped by
// a file manager reach the installer; a target whose text lost bytes is refused, not written
// under another name.
void TMainWindowTest::namesThatAreNotUtf8GoThroughUnchanged() {
    const QByteArray dir = QFile::encodeName(FDir->path());
    const QByteArray picture = dir + "/\xC4\xE3\xBA\xC3.bmp", folder = dir + "/\xD5\xD5\xC6\xAC",
                     sound = dir + "/\xB8\xE8.wav";
    QVERIFY(::rename(QFile::encodeName(Picture("a.bmp", 8, 8)), picture) == 0);
    QVERIFY(::mkdir(folder, 0700) == 0);
    QVERIFY(::rename(QFile::encodeName(Picture("b.bmp", 8, 8)), folder + "/\xB1\xB1.bmp") == 0);
    QVERIFY(QFile::copy(Picture("c.bmp", 8, 8), FDir->filePath("c.wav")));
    QVERIFY(::rename(QFile::encodeName(FDir->filePath("c.wav")), sound) == 0);
    const auto url = [](const QByteArray& path) {
        return QUrl::fromEncoded("file://" + path.toPercentEncoding("/"));
    };
    DropUrls(Child<QListWidget>("lstPicFiles")->viewport(), {url(picture), url(folder)});
    QCOMPARE(FForm->Pictures().Files(),
             std::vector<std::string>(
                 {picture.toStdString(), (folder + "/\xB1\xB1.bmp").toStdString()}));
    Child<QTabWidget>("Page")->setCurrentIndex(1);
    DropUrls(Child<QTabWidget>("Page")->widget(1), {url(sound)});
    TypeTitle("Old");
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!"}));
    const TInstallerReader reader(FForm->OutputDir() + "Old.run");
    QCOMPARE(reader.PictureCount(), 2);
    QCOMPARE(int{reader.Settings().SoundIncluded}, 1);

    FMessages.clear();
    const QString lost = QFile::decodeName(dir + "/\xC4\xE3.run");
    Child<QLineEdit>("edtCreate")->setText(lost);
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages.size(), 1);
    QVERIFY2(FMessages[0].contains("无法识别的字符"), qPrintable(FMessages[0]));
    QVERIFY(!QFile::exists(lost));
}

void TMainWindowTest::warnsOnceAboutCharactersGbkLacks_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("lost");
    // Which characters GBK lacks is the code page's test; here, what the user is told.
    QTest::newRow("copyright") << QStringLiteral("© 2026 王小明") << QStringLiteral("©");
    QTest::newRow("marks and emoji") << QStringLiteral("Kavro® Show™😀") << QStringLiteral("® ™ 😀");
    QTest::newRow("all held") << QStringLiteral("Café アニメ “一” …") << QString();
}

void TMainWindowTest::warnsOnceAboutCharactersGbkLacks() {
    QFETCH(QString, title);
    QFETCH(QString, lost);
    const QString warning = "提示!|以下字符无法保存,会变成“?”:\n" + lost +
                            "\n请修改文字;如果不修改,再试一次就会按此保存.";
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle(title);
    LeaveTitle();
    QCOMPARE(FMessages, lost.isEmpty() ? QStringList() : QStringList({warning}));
    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), title);
    FMessages.clear();
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!"}));
    QCOMPARE(QByteArray(FForm->Settings().Title),
             QByteArray::fromStdString(Utf8ToGbk(title.toStdString())));

    // Not told yet when create is pressed: create stops there once.
    Reopen(FDir->path());
    FMessages.clear();
    Insert({Picture("p.bmp", 8, 8)});
    FDialogs->Targets.push_back(FDir->filePath("t.exe"));
    Child<QToolButton>("btnCreateOpen")->click();
    TypeTitle(title);
    Child<QPushButton>("btnCreate")->click();
    if (!lost.isEmpty()) {
        QCOMPARE(FMessages, QStringList({warning}));
        QVERIFY(!QFile::exists(FDir->filePath("t.exe")));
        FMessages.clear();
        Child<QPushButton>("btnCreate")->click();
    }
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!"}));
}

void TMainWindowTest::dialogsRefuseOnceWhatGbkCannotHold() {
    QStringList stillOpen;
    WhenModal<TfrmDescription>([&stillOpen](TfrmDescription* dialog) {
        dialog->findChild<QLineEdit*>("edtA")->setText("www.example.org");
        dialog->findChild<QLineEdit*>("edtC")->setText(QStringLiteral("© 2026 王小明"));
        dialog->findChild<QPushButton*>("btnOK")->click();
        stillOpen << QString::number(dialog->isVisible())
                  << dialog->findChild<QLineEdit*>("edtC")->text();
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnDescription")->click();
    QCOMPARE(stillOpen, QStringList({"1", QStringLiteral("© 2026 王小明")}));
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FMessages[0].startsWith("提示!|以下字符无法保存,会变成“?”:\n©\n"));
    QCOMPARE(QByteArray(FForm->Settings().Description.RightsNotice),
             QByteArray::fromStdString(Utf8ToGbk("? 2026 王小明")));
    QCOMPARE(QByteArray(FForm->Settings().Description.WebAddress), QByteArray("www.example.org"));

    Insert(Names("p", 1));
    FMessages.clear();
    WhenModal<TfrmText>([](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(QStringLiteral("好😀"));
        dialog->findChild<QPushButton*>("btnOK")->click();
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnPicText")->click();
    QCOMPARE(FMessages.size(), 1);
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[0].Text),
             QByteArray::fromStdString(Utf8ToGbk("好?")));
}

QByteArray TMainWindowTest::CreateAs(const QString& name) {
    FDialogs->Targets.push_back(FDir->filePath(name));
    Child<QToolButton>("btnCreateOpen")->click();
    Child<QPushButton>("btnCreate")->click();
    QFile file(FDir->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TMainWindowTest::EditCaption(int row, const QString& text) {
    Child<QListWidget>("lstPicFiles")->setCurrentRow(row);
    WhenModal<TfrmText>([text](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(text);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnPicText")->click();
}

void TMainWindowTest::ChooseSound() {
    QFile sound(FDir->filePath("tune.wav"));
    QVERIFY(sound.open(QIODevice::WriteOnly));
    sound.write(QByteArray(1000, 'w'));
    sound.close();
    FDialogs->Sounds.push_back(sound.fileName());
    Child<QToolButton>("btnSoundOpen")->click();
}

void TMainWindowTest::MakeShow(const QString& title) {
    Insert({Picture("a.jpg", 32, 24),
            Picture("b.bmp", 8, 6, qRgb(0, 0, 255)),
            Picture("c.png", 4, 4, qRgb(0, 255, 0))});
    ChooseSound();
    TypeTitle(title);
}

void TMainWindowTest::reopenedSaverCreatesTheSameBytes() {
    // Every kind of setting the wizard keeps differs from its default.
    MakeShow(QStringLiteral("海边散步"));
    EditCaption(1, QStringLiteral("第二张"));
    Child<QComboBox>("cboImageSize")->setCurrentIndex(1);
    Child<TUpDown>("udInterval")->SetPosition(12);
    Child<QRadioButton>("rdoSeqRnd")->click();
    FDialogs->Colors.push_back(0x123456);
    FForm->pnlBackColorClick();
    WhenModal<TfrmTransitions>([](TfrmTransitions* dialog) {
        dialog->findChild<QCheckBox*>("CheckBox5")->setChecked(false);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnTransitions")->click();
    WhenModal<TfrmDescription>([](TfrmDescription* dialog) {
        dialog->findChild<QCheckBox*>("chkExists")->setChecked(true);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnDescription")->click();
    const QByteArray original = CreateAs(QStringLiteral("海边散步.run"));
    QVERIFY(!original.isEmpty());

    // A new window, as a week later.
    Reopen(FDir->path());
    QVERIFY(FForm->OpenSaver(FDir->filePath(QStringLiteral("海边散步.run"))));
    const QString folder = FDir->filePath(QStringLiteral("海边散步_文件/"));
    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), QStringLiteral("海边散步"));
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 3);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->item(1)->text(), folder + "002.bmp");
    QCOMPARE(Child<QLineEdit>("edtSound")->text(), folder + QStringLiteral("背景声音.wav"));
    QCOMPARE(Child<QLineEdit>("edtInterval")->text(), QStringLiteral("12"));
    QVERIFY(Child<QRadioButton>("rdoSeqRnd")->isChecked());
    QCOMPARE(PanelColor(Child<QFrame>("pnlBackColor")), TColor(0x123456));
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(),
             QString::fromStdString(FForm->OutputDir()) + QStringLiteral("海边散步.run"));
    Child<QToolButton>("btnSoundPlay")->click();
    QVERIFY(!FWave->Calls.empty());
    QCOMPARE(FWave->Calls.back().Name,
             std::optional<std::string>((folder + QStringLiteral("背景声音.wav")).toStdString()));
    QCOMPARE(CreateAs("again.run"), original);

    // One caption changed: only that slot's text differs.
    EditCaption(1, QStringLiteral("改过"));
    const QByteArray changed = CreateAs("changed.run");
    QCOMPARE(changed.size(), original.size());
    const int64_t slot =
        TInstallerReader(FDir->filePath("changed.run").toStdString()).Trailer().SettingsOffset +
        offsetof(TSaverSettings, PictureTexts) + sizeof(TSaverPictureText);
    for (qsizetype i = 0; i < original.size(); ++i) {
        if (original[i] != changed[i]) {
            QVERIFY2(i >= slot && i < slot + 256, qPrintable(QString::number(i)));
        }
    }
    QVERIFY(changed != original);
}

void TMainWindowTest::damagedSaverLeavesTheWizard() {
    InsertRedAndBlue();
    TypeTitle("Mine");
    const QString good = FDir->filePath("good.run");
    QVERIFY(!CreateAs("good.run").isEmpty());
    const TSaverSettings before = FForm->Settings();
    QFile damaged(FDir->filePath("damaged.run"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(500, 'x'));
    damaged.close();
    QStringList questions;
    bool answer = true;
    SetQuestionHook([&](const QString& text) {
        questions << text;
        return answer;
    });
    FDialogs->Savers.push_back(damaged.fileName());
    Child<QPushButton>("btnSaverOpen")->click();
    QCOMPARE(questions, QStringList({QStringLiteral("当前的图片和设置将被替换，继续吗？")}));
    QCOMPARE(FMessages.size(), 2);  // the creation's, then the refusal
    QVERIFY2(FMessages[1].contains(QStringLiteral("不是 Kavro 屏保文件或已损坏")),
             qPrintable(FMessages[1]));
    QCOMPARE(FDialogs->Folders.last(), QString::fromStdString(FForm->OutputDir()));
    // A 否 leaves the wizard too, even for a good saver.
    answer = false;
    QVERIFY(!FForm->OpenSaver(good));
    QCOMPARE(questions.size(), 2);
    QVERIFY(!QFileInfo::exists(FDir->filePath(QStringLiteral("good_文件"))));

    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), QStringLiteral("Mine"));
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 2);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->item(0)->text(), FDir->filePath("red.bmp"));
    QVERIFY(std::memcmp(&before, &FForm->Settings(), sizeof before) == 0);
}

void TMainWindowTest::writesTheFilesOnceAndNeverOverwrites() {
    MakeShow("Show");
    QVERIFY(!CreateAs("Show.run").isEmpty());
    const TInstallerReader reader(FDir->filePath("Show.run").toStdString());
    const QString documents = FDir->filePath("docs");
    const TSaverFiles first = WriteSaverFiles(reader, documents);
    const QString folder = FDir->filePath(QStringLiteral("Show_文件"));
    QCOMPARE(first.Folder, folder);
    QCOMPARE(first.Pictures,
             QStringList({folder + "/001.jpg", folder + "/002.bmp", folder + "/003.png"}));
    QCOMPARE(first.Sound, folder + QStringLiteral("/背景声音.wav"));
    auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QCOMPARE(bytes(first.Pictures[1]), bytes(FDir->filePath("b.bmp")));
    QCOMPARE(bytes(first.Sound), QByteArray(1000, 'w'));

    // Unchanged files are used again, a missing one written anew.
    QVERIFY(QFile::remove(first.Pictures[2]));
    QCOMPARE(WriteSaverFiles(reader, documents).Folder, folder);
    QCOMPARE(bytes(first.Pictures[2]), bytes(FDir->filePath("c.png")));

    // A file changed since is never overwritten: the next folder name is taken.
    QFile edited(first.Pictures[0]);
    QVERIFY(edited.open(QIODevice::WriteOnly));
    edited.write("edited");
    edited.close();
    const TSaverFiles next = WriteSaverFiles(reader, documents);
    QCOMPARE(next.Folder, folder + " (2)");
    QCOMPARE(bytes(first.Pictures[0]), QByteArray("edited"));
    QCOMPARE(bytes(next.Pictures[0]), bytes(FDir->filePath("a.jpg")));
    QVERIFY(!QFileInfo::exists(documents));
}

QTEST_MAIN(TMainWindowTest)
#include "MainWindowTest.moc"
