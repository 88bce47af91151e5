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
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolButton>

#include "engine/CaSaverForms.h"
#include "engine/CaScreenSaverMain.h"
#include "engine/CdSound.h"
#include "pack/BuildInstaller.h"
#include "pack/InstallerReader.h"
#include "platform/FileBrowser.h"
#include "platform/SaverFlag.h"
#include "toolkit/Picture.h"
#include "toolkit/QtScreen.h"
#include "toolkit/UserFile.h"
#include "toolkit/WidgetCanvas.h"
#include "toolkit/Worker.h"
#include "ui/BaFunction.h"
#include "ui/FileDrop.h"
#include "ui/FileNames.h"
#include "ui/Messages.h"
#include "ui/ProgramFolders.h"
#include "ui/SaverOpener.h"
#include "ui/UpDown.h"
#include "ui/WizardDialogs.h"
#include "ui/WizardRules.h"
#include "ui/uAbout.h"
#include "ui/uDescription.h"
#include "ui/uText.h"
#include "ui/uTransitions.h"

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

// Where an opened saver's files go when its own folder cannot be written.
QString DocumentsDir() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
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
    btnUpdate->move(-100, btnUpdate->y());
    cboImageSize->setCurrentIndex(0);
    SetPreviewColor(PanelColor(pnlBackColor));
    auto* pictureDrop =
        new TFileDropTarget(this, [this](const QList<QUrl>& urls) { PicturesDropped(urls); });
    pictureDrop->Watch(lstPicFiles->viewport());
    pictureDrop->Watch(pnlPicBack);
    auto* soundDrop =
        new TFileDropTarget(this, [this](const QList<QUrl>& urls) { SoundDropped(urls); });
    soundDrop->Watch(Page->widget(1));
    connect(QAbstractEventDispatcher::instance(),
            &QAbstractEventDispatcher::aboutToBlock,
            this,
            &TfrmMain::actCheckUpdate);
}

TfrmMain::~TfrmMain() {
    StopPanelPreview();
    FSound.reset();
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

void TfrmMain::LeavePage(int index) {
    if (index == 1) {
        FSound->Stop();
    } else if (index == 2) {
        StopPanelPreview();
    }
}

void TfrmMain::EnterPage() {
    Page->repaint();
    if (Page->currentIndex() == 2 && HasPictures(false)) {
        CopyControlsToSettings();
        StartPanelPreview();
    }
}

void TfrmMain::PageChanging(int oldIndex) {
    LeavePage(oldIndex);
}

void TfrmMain::PageChange() {
    EnterPage();
}

void TfrmMain::SwitchPage(int delta) {
    LeavePage(Page->currentIndex());
    FSwitching = true;
    Page->setCurrentIndex(Page->currentIndex() + delta);
    FSwitching = false;
    FPageIndex = Page->currentIndex();
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
    const QStringList chosen =
        FServices.Dialogs.OpenPictures(this, QString::fromStdString(FProgramDir));
    if (!chosen.isEmpty()) {
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
    TSaverSettings settings;
    QString title;
    TSaverFiles files;
    bool read = false;
    Guarded(this, [&] {
        TBusyCursor busy;
        const TInstallerReader reader(fileName.toStdString());
        settings = reader.Settings();
        title = QString::fromStdString(reader.Title());
        // 255 camera pictures take a while to write out: the window shows how far it got.
        QProgressDialog progress(QStringLiteral("正在打开屏保..."),
                                 QString(),
                                 0,
                                 reader.PictureCount() + (reader.HasSound() ? 1 : 0),
                                 this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        files = WriteSaverFiles(
            reader, DocumentsDir(), [&progress, step = 0]() mutable { progress.setValue(++step); });
        read = true;
    });
    if (!read) {
        return false;
    }
    StopPanelPreview();
    FSound->Stop();
    // The dialogs edit the record's captions, transitions and description in place; the
    // controls own the rest and write it back when the saver is created.
    FSettings = settings;
    edtTitle->setText(title);
    cboImageSize->setCurrentIndex(settings.StretchImages != 0 ? 1 : 0);
    udInterval->SetPosition(settings.IntervalSeconds);
    (settings.SequentialOrder != 0 ? rdoSeqNor : rdoSeqRnd)->setChecked(true);
    SetPanelColor(pnlBackColor, settings.BackColor);
    SetPreviewColor(settings.BackColor);
    SetSoundFile(FileNameBytes(files.Sound));
    FPictures = TPictureList();
    std::vector<std::string> pictures;
    for (const QString& picture : files.Pictures) {
        pictures.push_back(FileNameBytes(picture));
    }
    InsertPictures(pictures);
    edtCreate->setText(DefaultOutputName(QString::fromStdString(FOutputDir), FTitle));
    if (Page->currentIndex() == 2) {
        EnterPage();
    }
    return true;
}

void TfrmMain::InsertPictures(const std::vector<std::string>& files) {
    FPictures.Insert(files);
    ShowPictureList();
    Guarded(this, [this] { UpdateThumbnail(); });
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

void TfrmMain::SoundDropped(const QList<QUrl>& urls) {
    const TDroppedFiles dropped = SortDroppedFiles(urls);
    QStringList ignored;
    for (const std::string& file : dropped.Pictures) {
        ignored << FileNameText(BaseName(file));
    }
    for (size_t i = 1; i < dropped.Sounds.size(); ++i) {
        ignored << FileNameText(BaseName(dropped.Sounds[i]));
    }
    if (!dropped.Sounds.empty()) {
        SetSoundFile(dropped.Sounds.front());
    }
    if (!ignored.isEmpty() || !dropped.Others.isEmpty()) {
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
    Guarded(this, [this] { UpdateThumbnail(); });
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
    Guarded(this, [this] { UpdateThumbnail(); });
}

void TfrmMain::UpdateThumbnail() {
    // A newer request, or a hidden preview, makes any decode still under way stale.
    const int request = ++FThumbnailRequest;
    if (!chkPicPreview->isChecked()) {
        imgPic->hide();
        return;
    }
    const std::string file = FPictures.SelectedFile();
    if (file.empty() || !IsRegularFile(file)) {
        return;
    }
    struct TThumbnail {
        QRect Place;
        QImage Image;
        std::exception_ptr Error;
    };
    auto thumbnail = std::make_shared<TThumbnail>();
    const QSize area = pnlPicBack->size();
    auto make = [file, area, thumbnail] {
        TPicture picture;
        picture.SetTargetSize(area.width(), area.height());
        picture.LoadFromFile(file);
        thumbnail->Place =
            FitThumbnail(picture.Width(), picture.Height(), area.width(), area.height());
        // Scaled once here rather than kept at full size: a camera picture would hold tens of
        // megabytes for a thumbnail.
        thumbnail->Image = picture.Graphic().Image().scaled(
            thumbnail->Place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    auto show = [this, thumbnail] {
        imgPic->setGeometry(thumbnail->Place);
        imgPic->setPixmap(QPixmap::fromImage(thumbnail->Image));
        imgPic->show();
    };
    if (!FServices.Show.Worker) {
        make();
        show();
        return;
    }
    // A camera picture takes most of a second to decode: the worker does it, and the window
    // answers meanwhile.
    FServices.Show.Worker->Post(
        [make, thumbnail] {
            try {
                make();
            } catch (...) {
                thumbnail->Error = std::current_exception();
            }
        },
        [this, alive = std::weak_ptr<char>(FAlive), request, thumbnail, show] {
            if (!alive.lock() || request != FThumbnailRequest) {
                return;
            }
            Guarded(this, [&] {
                if (thumbnail->Error) {
                    std::rethrow_exception(thumbnail->Error);
                }
                show();
            });
        });
}

void TfrmMain::btnSoundOpenClick() {
    const QString file = FServices.Dialogs.OpenSound(this, QString::fromStdString(FProgramDir));
    if (!file.isEmpty()) {
        SetSoundFile(FileNameBytes(file));
    }
}

std::string TfrmMain::SoundFile() const {
    const QString text = edtSound->text();
    return text == FileNameText(FSoundFile) ? FSoundFile : FileNameBytes(text);
}

void TfrmMain::SetSoundFile(const std::string& file) {
    FSoundFile = file;
    edtSound->setText(FileNameText(file));
}

void TfrmMain::btnSoundPlayClick() {
    const std::string file = SoundFile();
    if (IsRegularFile(file)) {
        FSound->Play(file);
    }
}

void TfrmMain::btnSoundStopClick() {
    FSound->Stop();
}

void TfrmMain::btnSoundClearClick() {
    btnSoundStop->click();
    edtSound->clear();
}

void TfrmMain::btnTransitionsClick() {
    TfrmTransitions* dialog = FForms.frmTransitions;
    if (dialog != nullptr && dialog->EditTransitions(FSettings.Transitions)) {
        dialog->WriteTransitions(FSettings.Transitions);
    }
}

void TfrmMain::btnDescriptionClick() {
    TfrmDescription* dialog = FForms.frmDescription;
    if (dialog != nullptr && dialog->EditDescription(FSettings.Description)) {
        dialog->WriteDescription(FSettings.Description);
    }
}

void TfrmMain::pnlBackColorClick() {
    PickPanelColor(pnlBackColor,
                   [this](TColor initial) { return FServices.Dialogs.PickColor(this, initial); });
    SetPreviewColor(PanelColor(pnlBackColor));
}

void TfrmMain::SetPreviewColor(TColor color) {
    // A panel that changes its colour repaints itself in it, over whatever a show drew there.
    SetPanelColor(pnlPreview, color);
    pnlPreview->SetBackground(color);
    pnlPreview->SyncImageSize();
    TCanvas& canvas = pnlPreview->Canvas();
    canvas.Brush().Reset();
    canvas.Brush().Color = color;
    canvas.FillRect(canvas.ClipRect());
}

void TfrmMain::CopyControlsToSettings() {
    TWizardControls controls;
    controls.Title = edtTitle->text();
    controls.PictureCount = FPictures.Count();
    controls.BackColor = PanelColor(pnlBackColor);
    controls.ImageSizeIndex = cboImageSize->currentIndex();
    controls.IntervalSeconds = static_cast<int16_t>(udInterval->Position());
    controls.SequentialOrder = rdoSeqNor->isChecked();
    controls.SoundFile = SoundFile();
    ::CopyControlsToSettings(controls, FSettings);
}

void TfrmMain::StartPanelPreview() {
    if (FPanelSaver) {
        return;
    }
    // The show composes its frames at screen size; a screen too large for memory leaves the
    // panel without a preview and says so.
    Guarded(this, [this] {
        const QRect bounds = pnlPreview->geometry();
        auto saver = std::make_unique<TCaScreenSaverMain>(pnlPreview->Canvas(),
                                                          TRect{bounds.left(),
                                                                bounds.top(),
                                                                bounds.left() + bounds.width(),
                                                                bounds.top() + bounds.height()},
                                                          FSettings,
                                                          FPictures.Files(),
                                                          SoundFile(),
                                                          true,
                                                          FServices.Show);
        FServices.SaverFlag.SetRunning(true);
        FPanelSaver = std::move(saver);
        FPanelSaver->Start();
    });
}

void TfrmMain::StopPanelPreview() {
    if (!FPanelSaver) {
        return;
    }
    FServices.SaverFlag.SetRunning(false);
    TCbScreenSaver::Stop(FPanelSaver);
}

void TfrmMain::btnPreviewClick() {
    StopPanelPreview();
    if (!HasPictures(true)) {
        return;
    }
    {
        // The preview covers the display the wizard is on; on another than the primary one it
        // composes at that display's size.
        TQtScreen wizardScreen(screen());
        const bool elsewhere = screen() && screen() != QGuiApplication::primaryScreen();
        const TShowServices& own = FServices.Show;
        const TShowServices services{own.Timers,
                                     elsewhere ? wizardScreen : own.Screen,
                                     own.Media,
                                     own.Wave,
                                     own.Frames,
                                     own.Worker};
        TCaSaverForm saverForm(
            FSettings.BackColor,
            TCaScreenSaverMain::FullScreen(FSettings, FPictures.Files(), SoundFile(), services),
            services.Screen);
        saverForm.OnShowError = [this](const std::exception& error) { ShowError(this, error); };
        FServices.SaverFlag.SetRunning(true);
        saverForm.RunSaver();
        FServices.SaverFlag.SetRunning(false);
    }
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
    // The folder opens first, so that when no file manager can show it the message says
    // where the file is.
    QString done = QStringLiteral("已经成功的完成!");
    if (!FServices.FileBrowser.OpenFolder(FOutputDir)) {
        done += QLatin1Char('\n') + QDir::toNativeSeparators(target);
    }
    ShowMessage(this, done, QStringLiteral("Kavro"));
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
