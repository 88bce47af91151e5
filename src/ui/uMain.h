#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "settings/SaverSettings.h"
#include "ui/GbkWarning.h"
#include "ui/PictureList.h"
#include "ui/WizardServices.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QUrl;
class TfrmShowOptions;
class TCdSound;
class TPanelPreview;
class TThumbnailLoader;
class TUpDown;
class TWidgetCanvas;
struct TThumbnail;

// The wizard's pages, in the tab control's order.
enum class TWizardPage { Pictures, Options, Create };

// The main window: a three-page wizard that collects pictures and a title, options, and then
// previews the screensaver and writes its installer. Owns the one settings record.
class TfrmMain : public QWidget {
    Q_OBJECT

public:
    explicit TfrmMain(const TWizardServices& services, QWidget* parent = nullptr);
    ~TfrmMain() override;

    void SetForms(const TWizardForms& forms);

    const TSaverSettings& Settings() const { return FSettings; }
    const TPictureList& Pictures() const { return FPictures; }
    const std::string& ProgramDir() const { return FProgramDir; }
    const std::string& OutputDir() const { return FOutputDir; }
    const QString& Title() const { return FTitle; }
    bool PanelPreviewRunning() const;

    // Enabling rules, run whenever the application is about to wait for events.
    void actCheckUpdate();
    void PageChanging(int oldIndex);
    void PageChange();
    void btnBackClick();
    void btnNextClick();
    void btnExitClick();
    void edtTitleChange();
    void edtTitleExit();
    void btnPicInsertClick();
    void btnSaverOpenClick();
    // Restores the wizard from a saver it created, as the user had left it: every control, the
    // captions, transitions and description, the sound and the pictures, these two written out
    // as files. Asks first when the list holds pictures; a file that cannot be read is
    // reported and leaves the wizard as it was. Answers whether the saver was opened.
    bool OpenSaver(const QString& fileName);
    // Files dragged onto the picture list or the thumbnail, and onto page 2.
    void PicturesDropped(const QList<QUrl>& urls);
    void SoundDropped(const QList<QUrl>& urls);
    void btnPicDeleteClick();
    void btnPicTextClick();
    void lstPicFilesClick();
    void chkPicPreviewClick();
    void btnSoundOpenClick();
    void btnSoundPlayClick();
    void btnSoundStopClick();
    void btnSoundClearClick();
    void btnTransitionsClick();
    void btnDescriptionClick();
    void btnMoreOptionsClick();
    void pnlBackColorClick();
    void btnPreviewClick();
    void btnCreateOpenClick();
    void btnCreateClick();
    void mAboutClick();

    bool HasPictures(bool showMessage);
    void CopyControlsToSettings();
    void UpdateThumbnail();
    void StartPanelPreview();
    void StopPanelPreview();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreatePicturesPage(QWidget* page);
    void CreateOptionsPage(QWidget* page);
    void CreateCreatePage(QWidget* page);
    QWidget* PageWidget(TWizardPage page) const;
    TWizardPage CurrentPage() const;
    void LeavePage(TWizardPage page);
    void EnterPage();
    void SwitchPage(int delta);
    void ShowPictureList();
    void InsertPictures(const std::vector<std::string>& files);
    void ShowThumbnail(const TThumbnail& thumbnail);
    // Sets the controls of the options page from an opened saver's record.
    void ShowOptions(const TSaverSettings& settings);
    // The sound file's name as bytes: those it was chosen or dropped with while the edit shows
    // them, else the bytes of what the edit holds.
    std::string SoundFile() const;
    void SetSoundFile(const std::string& file);
    // Answers whether the event is used up.
    bool ListMouseEvent(const QMouseEvent* mouse);
    bool CanCreate();
    void BuildInstaller();
    void StepProgress();
    void SetPreviewColor(TColor color);

    TWizardServices FServices;
    TWizardForms FForms;
    TSaverSettings FSettings;
    std::string FProgramDir;
    std::string FOutputDir;
    std::string FSoundFile;
    QString FTitle;
    TGbkWarning FTitleGbk;
    TPictureList FPictures;
    std::unique_ptr<TCdSound> FSound;
    std::unique_ptr<TPanelPreview> FPreview;
    std::unique_ptr<TThumbnailLoader> FThumbnails;
    // Where "插入图片" opens its dialog: the user's pictures folder until pictures are chosen,
    // then the folder they were chosen in.
    QString FPicturesDir;
    QString FSoundDir;
    // The page whose LeavePage is still due; the tab control has already switched when it
    // tells us about a change.
    TWizardPage FPage = TWizardPage::Pictures;
    bool FSwitching = false;
    bool FFillingList = false;
    // The list's current entry when the left button went down on it.
    int FListPressRow = -1;

    QTabWidget* Page;
    QLineEdit* edtTitle;
    QCheckBox* chkPicPreview;
    QPushButton* btnPicInsert;
    QPushButton* btnSaverOpen;
    QPushButton* btnPicDelete;
    QPushButton* btnPicText;
    QFrame* pnlPicBack;
    QLabel* imgPic;
    QListWidget* lstPicFiles;
    QLineEdit* edtSound;
    QToolButton* btnSoundOpen;
    QToolButton* btnSoundPlay;
    QToolButton* btnSoundStop;
    QToolButton* btnSoundClear;
    QComboBox* cboImageSize;
    QLineEdit* edtInterval;
    TUpDown* udInterval;
    QRadioButton* rdoSeqNor;
    QRadioButton* rdoSeqRnd;
    QRadioButton* rdoSeqShuffle;
    QComboBox* cboTransitionTime;
    QCheckBox* chkPanZoom;
    QCheckBox* chkBlurFill;
    QFrame* pnlBackColor;
    QPushButton* btnTransitions;
    QPushButton* btnDescription;
    QPushButton* btnMoreOptions;
    TfrmShowOptions* frmShowOptions;
    TWidgetCanvas* pnlPreview;
    QPushButton* btnPreview;
    QRadioButton* RadioButton1;
    QLineEdit* edtCreate;
    QToolButton* btnCreateOpen;
    QPushButton* btnCreate;
    QProgressBar* pbCreate;
    QPushButton* btnBack;
    QPushButton* btnNext;
    QPushButton* btnExit;
    QAction* actCheck;
    QToolButton* btnUpdate;
    QAction* mAbout;
};
