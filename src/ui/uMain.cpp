#include "ui/uMain.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "engine/CaSaverForms.h"
#include "engine/CaScreenSaverMain.h"
#include "engine/CdSound.h"
#include "pack/BuildInstaller.h"
#include "platform/FileBrowser.h"
#include "platform/SaverFlag.h"
#include "toolkit/Picture.h"
#include "toolkit/QtScreen.h"
#include "toolkit/UserFile.h"
#include "toolkit/WidgetCanvas.h"
#include "ui/BaFunction.h"
#include "ui/FileDrop.h"
#include "ui/FileNames.h"
#include "ui/Messages.h"
#include "ui/PanelPreview.h"
#include "ui/ProgramFolders.h"
#include "ui/SaverOpener.h"
#include "ui/ThumbnailLoader.h"
#include "ui/WizardDialogs.h"
#include "ui/WizardRules.h"
#include "ui/uAbout.h"
#include "ui/uText.h"

namespace {

const QString NoPictures = QStringLiteral("你还没有插入任何图片呢!");
const QString NoTitle = QStringLiteral("你还没输入标题吧!");
const QString ReplaceWork = QStringLiteral("当前的图片和设置将被替换，继续吗？");

QString UnfaithfulName(const QString& target) {
    return QStringLiteral(
               "文件名“%1”中有无法识别的字符(不是 UTF-8 编码),无法按这个名字保存。\n"
               "请换一个文件名或文件夹。")
        .arg(QDir::toNativeSeparators(target));
}

// Shows the busy cursor over the whole application while it lives.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace

TfrmMain::TfrmMain(const TWizardServices& services, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                  Qt::WindowCloseButtonHint)
    , FServices(services) {
    setObjectName("frmMain");
    CreateControls();
    FProgramDir = FServices.ProgramDir;
    FOutputDir = DefaultOutputDir(FProgramDir);
    InitSaverSettings(FSettings);
    FSound = std::make_unique<TCdSound>(FServices.Show.Media, FServices.Show.Wave);
    FPreview = std::make_unique<TPanelPreview>(*pnlPreview, FServices.Show, FServices.SaverFlag);
    FThumbnails = std::make_unique<TThumbnailLoader>(
        FServices.Show.Worker,
        [this](const TThumbnail& thumbnail) { ShowThumbnail(thumbnail); },
        [this](std::exception_ptr error) {
            Guarded(this, [&error] { std::rethrow_exception(error); });
        });
    btnUpdate->move(-100, btnUpdate->y());
    cboImageSize->setCurrentIndex(0);
    SetPreviewColor(PanelColor(pnlBackColor));
    auto* pictureDrop =
        new TFileDropTarget(this, [this](const QList<QUrl>& urls) { PicturesDropped(urls); });
    pictureDrop->Watch(lstPicFiles->viewport());
    pictureDrop->Watch(pnlPicBack);
    auto* soundDrop =
        new TFileDropTarget(this, [this](const QList<QUrl>& urls) { SoundDropped(urls); });
    soundDrop->Watch(PageWidget(TWizardPage::Options));
    connect(QAbstractEventDispatcher::instance(),
            &QAbstractEventDispatcher::aboutToBlock,
            this,
            &TfrmMain::actCheckUpdate);
}

TfrmMain::~TfrmMain() {
    StopPanelPreview();
    FSound.reset();
}

bool TfrmMain::PanelPreviewRunning() const {
    return FPreview->Running();
}

void TfrmMain::SetForms(const TWizardForms& forms) {
    FForms = forms;
}

void TfrmMain::actCheckUpdate() {
    // Not while a modal dialog or the full-screen show has the user's attention.
    if (!isVisible() || !isEnabled() || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    btnBack->setEnabled(Page->currentIndex() > 0);
    btnNext->setEnabled(Page->currentIndex() < Page->count() - 1);
    btnPicDelete->setEnabled(lstPicFiles->currentRow() >= 0);
    chkPicPreview->setEnabled(btnPicDelete->isEnabled());
    if (!btnPicDelete->isEnabled()) {
        imgPic->hide();
    }
}

bool TfrmMain::HasPictures(bool showMessage) {
    if (FPictures.Empty() && showMessage) {
        ShowRefusal(this, NoPictures);
    }
    return !FPictures.Empty();
}

QWidget* TfrmMain::PageWidget(TWizardPage page) const {
    return Page->widget(static_cast<int>(page));
}

TWizardPage TfrmMain::CurrentPage() const {
    return static_cast<TWizardPage>(Page->currentIndex());
}

void TfrmMain::LeavePage(TWizardPage page) {
    if (page == TWizardPage::Options) {
        FSound->Stop();
    } else if (page == TWizardPage::Create) {
        StopPanelPreview();
    }
}

void TfrmMain::EnterPage() {
    Page->repaint();
    if (CurrentPage() == TWizardPage::Create && HasPictures(false)) {
        CopyControlsToSettings();
        StartPanelPreview();
    }
}

void TfrmMain::PageChanging(int oldIndex) {
    LeavePage(static_cast<TWizardPage>(oldIndex));
}

void TfrmMain::PageChange() {
    EnterPage();
}

void TfrmMain::SwitchPage(int delta) {
    LeavePage(CurrentPage());
    FSwitching = true;
    Page->setCurrentIndex(Page->currentIndex() + delta);
    FSwitching = false;
    FPage = CurrentPage();
    EnterPage();
}

void TfrmMain::btnBackClick() {
    SwitchPage(-1);
}

void TfrmMain::btnNextClick() {
    SwitchPage(1);
}

void TfrmMain::btnExitClick() {
    close();
}

void TfrmMain::edtTitleChange() {
    FTitle = TitleFromText(edtTitle->text());
}

void TfrmMain::edtTitleExit() {
    edtCreate->setText(DefaultOutputName(QString::fromStdString(FOutputDir), FTitle));
    FTitleGbk.Warn(this, {edtTitle->text()});
}

void TfrmMain::ShowPictureList() {
    FFillingList = true;
    lstPicFiles->clear();
    for (const std::string& file : FPictures.Files()) {
        lstPicFiles->addItem(FileNameText(file));
    }
    lstPicFiles->setCurrentRow(FPictures.Selected());
    FFillingList = false;
}

void TfrmMain::btnPicInsertClick() {
    if (FPicturesDir.isEmpty()) {
        FPicturesDir = UserPicturesDir();
    }
    const QStringList chosen = FServices.Dialogs.OpenPictures(this, FPicturesDir);
    if (!chosen.isEmpty()) {
        FPicturesDir = QFileInfo(chosen.front()).absolutePath();
        std::vector<std::string> files;
        for (const QString& file : chosen) {
            files.push_back(FileNameBytes(file));
        }
        InsertPictures(files);
    }
}

void TfrmMain::btnSaverOpenClick() {
    const QString file = FServices.Dialogs.OpenSaver(this, QString::fromStdString(FOutputDir));
    if (!file.isEmpty()) {
        OpenSaver(file);
    }
}

bool TfrmMain::OpenSaver(const QString& fileName) {
    if (!FPictures.Empty() && !AskYesNo(this, ReplaceWork)) {
        return false;
    }
    // Everything is read and written out before a control changes, so that a refused file
    // leaves the wizard as it was.
    TOpenedSaver saver;
    bool read = false;
    Guarded(this, [&] {
        TBusyCursor busy;
        std::unique_ptr<QProgressDialog> progress;
        saver = ReadSaver(fileName, UserDocumentsDir(), [&progress, this](int done, int total) {
            if (progress) {
                progress->setValue(done);
                return;
            }
            // 255 camera pictures take a while to write out: the window shows how far it got.
            progress = std::make_unique<QProgressDialog>(
                QStringLiteral("正在打开屏保..."), QString(), 0, total, this);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(500);
        });
        read = true;
    });
    if (!read) {
        return false;
    }
    StopPanelPreview();
    FSound->Stop();
    // The dialogs edit the record's captions, transitions and description in place; the
    // controls own the rest and write it back when the saver is created.
    FSettings = saver.Settings;
    edtTitle->setText(saver.Title);
    ShowOptions(saver.Settings);
    SetSoundFile(FileNameBytes(saver.Files.Sound));
    FPictures = TPictureList();
    std::vector<std::string> pictures;
    for (const QString& picture : saver.Files.Pictures) {
        pictures.push_back(FileNameBytes(picture));
    }
    InsertPictures(pictures);
    edtCreate->setText(DefaultOutputName(QString::fromStdString(FOutputDir), FTitle));
    if (CurrentPage() == TWizardPage::Create) {
        EnterPage();
    }
    return true;
}

void TfrmMain::InsertPictures(const std::vector<std::string>& files) {
    FPictures.Insert(files);
    ShowPictureList();
    UpdateThumbnail();
}

void TfrmMain::PicturesDropped(const QList<QUrl>& urls) {
    const TDroppedFiles dropped = SortDroppedFiles(urls);
    if (!dropped.Pictures.empty()) {
        InsertPictures(dropped.Pictures);
    }
    if (!dropped.Sounds.empty() || !dropped.Others.isEmpty()) {
        QStringList ignored;
        for (const std::string& sound : dropped.Sounds) {
            ignored << FileNameText(BaseName(sound));
        }
        ShowRefusal(this, IgnoredFilesText(ignored + dropped.Others));
    }
}

void TfrmMain::btnPicDeleteClick() {
    FPictures.Select(lstPicFiles->currentRow());
    if (FPictures.Selected() < 0) {
        return;
    }
    FPictures.DeleteSelected();
    ShowPictureList();
}

void TfrmMain::btnPicTextClick() {
    // Without a selection there is no caption slot to edit.
    const int index = lstPicFiles->currentRow();
    TfrmText* dialog = FForms.frmText;
    if (index >= 0 && dialog != nullptr && dialog->EditPictureText(FSettings.PictureTexts[index])) {
        dialog->WritePictureText(FSettings.PictureTexts[index]);
    }
}

void TfrmMain::lstPicFilesClick() {
    if (FFillingList) {
        return;
    }
    FPictures.Select(lstPicFiles->currentRow());
    UpdateThumbnail();
}

bool TfrmMain::ListMouseEvent(const QMouseEvent* mouse) {
    // Only the left button selects; the others leave the list as it is.
    if (mouse->button() != Qt::LeftButton) {
        return true;
    }
    if (mouse->type() == QEvent::MouseButtonPress) {
        FListPressRow = lstPicFiles->currentRow();
        return false;
    }
    // The selection follows the mouse while the button is held, so the release may land on
    // another entry than the press, or below the last one.
    if (lstPicFiles->itemAt(mouse->position().toPoint()) != nullptr ||
        lstPicFiles->currentRow() != FListPressRow) {
        lstPicFilesClick();
    }
    return false;
}

void TfrmMain::chkPicPreviewClick() {
    UpdateThumbnail();
}

void TfrmMain::UpdateThumbnail() {
    // A hidden preview makes any decode still under way stale.
    if (!chkPicPreview->isChecked()) {
        FThumbnails->Cancel();
        imgPic->hide();
        return;
    }
    FThumbnails->Load(FPictures.SelectedFile(), pnlPicBack->size());
}

void TfrmMain::ShowThumbnail(const TThumbnail& thumbnail) {
    imgPic->setGeometry(thumbnail.Place);
    imgPic->setPixmap(QPixmap::fromImage(thumbnail.Image));
    imgPic->show();
}

void TfrmMain::StartPanelPreview() {
    // A screen too large for memory leaves the panel without a preview and says so.
    Guarded(this, [this] { FPreview->Start(FSettings, FPictures.Files(), SoundFile()); });
}

void TfrmMain::StopPanelPreview() {
    FPreview->Stop();
}

void TfrmMain::btnPreviewClick() {
    StopPanelPreview();
    if (!HasPictures(true)) {
        return;
    }
    // Every screen plays, as the installed saver does; only the first one's show has the sound.
    // The wizard's display is the first: its show has the sound and composes at its size.
    const std::string sound = SoundFile();
    TQtScreen wizardScreen(screen());
    const bool elsewhere = screen() && screen() != QGuiApplication::primaryScreen();
    const TShowServices& own = FServices.Show;
    const TShowServices services{own.Timers,
                                 elsewhere ? wizardScreen : own.Screen,
                                 own.Media,
                                 own.Wave,
                                 own.Frames,
                                 own.Worker};
    FServices.SaverFlag.SetRunning(true);
    RunSaverOnEveryScreen(
        FSettings.BackColor,
        services,
        [&](const TShowServices& services, bool primary) {
            TSaverSettings own = FSettings;
            own.PlaySound = primary ? own.PlaySound : 0;
            return TCaScreenSaverMain::FullScreen(
                own, FPictures.Files(), primary ? sound : std::string(), services);
        },
        [this](const std::exception& error) { ShowError(this, error); });
    FServices.SaverFlag.SetRunning(false);
    Page->repaint();
    StartPanelPreview();
}

void TfrmMain::btnCreateOpenClick() {
    const QString file = FServices.Dialogs.SaveTarget(this, QString::fromStdString(FOutputDir));
    if (!file.isEmpty()) {
        edtCreate->setText(file);
    }
}

bool TfrmMain::CanCreate() {
    if (edtCreate->text().isEmpty()) {
        ShowRefusal(this, NoTitle);
        return false;
    }
    // A name that lost bytes on its way into text would be written under another name.
    if (!IsFaithfulName(edtCreate->text())) {
        ShowRefusal(this, UnfaithfulName(edtCreate->text()));
        return false;
    }
    // Told once, the user may create with the title as GBK keeps it.
    return HasPictures(true) && !FTitleGbk.Warn(this, {edtTitle->text()});
}

void TfrmMain::StepProgress() {
    pbCreate->setValue(pbCreate->value() + 1);
    // The build holds the event loop; repaint now so that every step is seen.
    pbCreate->repaint();
}

void TfrmMain::BuildInstaller() {
    const std::string target = FileNameBytes(edtCreate->text());
    CopyControlsToSettings();
    // Re-encoding large pictures adds a step for each picture.
    pbCreate->setRange(0, BuildSteps(FSettings, FPictures.Count()));
    ::BuildInstaller(target,
                     Utf8ToGbk(edtTitle->text().toStdString()),
                     StubDir(FProgramDir),
                     FSettings,
                     FPictures.Files(),
                     SoundFile(),
                     FOutputDir,
                     [this] { StepProgress(); });
}

void TfrmMain::btnCreateClick() {
    if (!CanCreate()) {
        return;
    }
    const QString target = edtCreate->text();
    bool built = false;
    Guarded(this, [this, &built] {
        TBusyCursor busy;
        StopPanelPreview();
        try {
            BuildInstaller();
        } catch (...) {
            pbCreate->setValue(0);
            throw;
        }
        built = true;
    });
    if (!built) {
        return;
    }
    // The message always names the file: a file manager that starts may still show nothing,
    // and a target chosen elsewhere is not in the folder it opens.
    FServices.FileBrowser.OpenFolder(FOutputDir);
    ShowMessage(this,
                QStringLiteral("已经成功的完成!\n") +
                    QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()),
                QStringLiteral("Kavro"));
    pbCreate->setValue(0);
}

void TfrmMain::mAboutClick() {
    if (FForms.frmAbout != nullptr) {
        FForms.frmAbout->exec();
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtTitle && event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window leaves the edit, not a switch to
        // another window or a popup menu.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            edtTitleExit();
        }
    } else if (watched == pnlBackColor && event->type() == QEvent::MouseButtonRelease) {
        // A click is the left button let go over the swatch, as for a button.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            pnlBackColor->rect().contains(mouse->position().toPoint())) {
            pnlBackColorClick();
        }
        return true;
    } else if ((event->type() == QEvent::MouseButtonPress ||
                event->type() == QEvent::MouseButtonRelease) &&
               watched == lstPicFiles->viewport()) {
        return ListMouseEvent(static_cast<QMouseEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}
