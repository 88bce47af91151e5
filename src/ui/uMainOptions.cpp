// The options page: its controls, their handlers (the sound, the background colour, the
// transitions and the description), and the controls set from an opened saver and written into
// the record.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "engine/CdSound.h"
#include "toolkit/UserFile.h"
#include "ui/BaFunction.h"
#include "ui/FileDrop.h"
#include "ui/FileNames.h"
#include "ui/Glyphs.h"
#include "ui/Messages.h"
#include "ui/PanelPreview.h"
#include "ui/ProgramFolders.h"
#include "ui/UpDown.h"
#include "ui/WizardDialogs.h"
#include "ui/WizardLook.h"
#include "ui/WizardRules.h"
#include "ui/uDescription.h"
#include "ui/uMain.h"
#include "ui/uShowOptions.h"
#include "ui/uTransitions.h"

namespace {

constexpr TColor SwatchColor = RGBColor(0, 128, 255);

}  // namespace

void TfrmMain::CreateOptionsPage(QWidget* page) {
    auto* hint = Guide(Named(new QLabel(page), "pnlHint"));
    hint->setText(
        QStringLiteral("你可以跳过此步骤! "
                       "点击“第三步(创建)或选择直接选择“下一步”,你的屏保将会采用默认的值来创建."));
    hint->setWordWrap(true);
    hint->setFrameStyle(QFrame::Panel | QFrame::Raised);
    hint->setContentsMargins(6, 0, 6, 0);
    hint->setGeometry(6, 6, 576, 36);
    SetPanelColor(hint, FramingColor);

    MakeFramingPanel(page, QRect(6, 56, 576, 62));
    QLabel* soundCaption =
        MakeCaptionPanel(page, QStringLiteral("声音 (            WAV, MID, RMI )"), 14, 48);
    auto* mp3 = new QLabel(QStringLiteral("MP3, "), page);
    mp3->setFont(WindowFont());
    SetTextColor(mp3, QColor(0, 0, 255));
    mp3->adjustSize();
    mp3->move(soundCaption->x() + 5 + soundCaption->fontMetrics().horizontalAdvance("声音 (  "),
              soundCaption->y() + (soundCaption->height() - mp3->height()) / 2);
    Named(MakeLabel(page, QStringLiteral("添加声音到屏幕保护中."), 16, 68), "Label2");
    edtSound = MakeReadOnlyEdit(page, "edtSound", QRect(16, 88, 452, 21));
    btnSoundOpen = MakeGlyphButton(page, "btnSoundOpen", OpenFolderGlyph(), "打开", 474, 87);
    btnSoundPlay = MakeGlyphButton(page, "btnSoundPlay", PlayGlyph(), "播放", 500, 87);
    btnSoundStop = MakeGlyphButton(page, "btnSoundStop", StopGlyph(), "停止", 526, 87);
    btnSoundClear = MakeGlyphButton(page, "btnSoundClear", EraserGlyph(), "清除", 552, 87);
    connect(btnSoundOpen, &QToolButton::clicked, this, &TfrmMain::btnSoundOpenClick);
    connect(btnSoundPlay, &QToolButton::clicked, this, &TfrmMain::btnSoundPlayClick);
    connect(btnSoundStop, &QToolButton::clicked, this, &TfrmMain::btnSoundStopClick);
    connect(btnSoundClear, &QToolButton::clicked, this, &TfrmMain::btnSoundClearClick);

    MakeFramingPanel(page, QRect(6, 134, 284, 72));
    MakeCaptionPanel(page, QStringLiteral("大小与间隔时间"), 14, 126);
    Named(MakeLabel(page, QStringLiteral("图象大小"), 16, 152), "Label10");
    cboImageSize = Named(new QComboBox(page), "cboImageSize");
    cboImageSize->addItems({QStringLiteral("原始大小"), QStringLiteral("扩展全屏")});
    cboImageSize->setGeometry(76, 148, 120, 22);
    Named(MakeLabel(page, QStringLiteral("间隔时间"), 16, 180), "Label4");
    edtInterval = Named(new QLineEdit(page), "edtInterval");
    edtInterval->setGeometry(76, 176, 40, 21);
    udInterval = Named(new TUpDown(1, 60, 5, page), "udInterval");
    udInterval->setGeometry(116, 176, 16, 21);
    udInterval->SetBuddy(edtInterval);
    Named(MakeLabel(page, QStringLiteral("秒"), 138, 180), "Label11");
    // Half a second to three, in halves: entry i is i + 1 half-seconds.
    Named(MakeLabel(page, QStringLiteral("过渡时间"), 160, 180), "Label12");
    cboTransitionTime = Named(new QComboBox(page), "cboTransitionTime");
    for (int half = MinTransitionHalfSeconds; half <= MaxTransitionHalfSeconds; ++half) {
        cboTransitionTime->addItem(QStringLiteral("%1 秒").arg(half / 2.0));
    }
    cboTransitionTime->setGeometry(212, 176, 70, 22);
    cboTransitionTime->setCurrentIndex(TShowExtras{}.TransitionHalfSeconds -
                                       MinTransitionHalfSeconds);

    MakeFramingPanel(page, QRect(298, 134, 284, 72));
    MakeCaptionPanel(page, QStringLiteral("图片次序 (屏幕保护中图片出现的次序)"), 306, 126);
    rdoSeqNor = Named(new QRadioButton(QStringLiteral("正常"), page), "rdoSeqNor");
    rdoSeqNor->setGeometry(316, 150, 120, 19);
    rdoSeqNor->setChecked(true);
    rdoSeqRnd = Named(new QRadioButton(QStringLiteral("随机"), page), "rdoSeqRnd");
    rdoSeqRnd->setGeometry(316, 176, 120, 19);
    rdoSeqShuffle = Named(new QRadioButton(QStringLiteral("随机(不重复)"), page), "rdoSeqShuffle");
    rdoSeqShuffle->setGeometry(440, 176, 136, 19);

    MakeFramingPanel(page, QRect(6, 222, 284, 62));
    MakeCaptionPanel(page, QStringLiteral("背景颜色"), 14, 214);
    Named(MakeLabel(page, QStringLiteral("设置背景颜色"), 16, 246), "Label3");
    pnlBackColor = Named(new QFrame(page), "pnlBackColor");
    pnlBackColor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlBackColor->setGeometry(110, 240, 33, 25);
    pnlBackColor->setCursor(Qt::PointingHandCursor);
    SetPanelColor(pnlBackColor, SwatchColor);
    pnlBackColor->installEventFilter(this);
    chkBlurFill = Named(new QCheckBox(QStringLiteral("模糊背景"), page), "chkBlurFill");
    chkBlurFill->setGeometry(160, 244, 120, 19);

    btnTransitions = Guide(
        MakeButton(page, "btnTransitions", QStringLiteral("过渡效果"), QRect(316, 240, 100, 25)));
    btnDescription = Guide(
        MakeButton(page, "btnDescription", QStringLiteral("描述信息"), QRect(432, 240, 100, 25)));
    connect(btnTransitions, &QPushButton::clicked, this, &TfrmMain::btnTransitionsClick);
    connect(btnDescription, &QPushButton::clicked, this, &TfrmMain::btnDescriptionClick);
    chkPanZoom = Named(new QCheckBox(QStringLiteral("缓慢推移缩放"), page), "chkPanZoom");
    chkPanZoom->setGeometry(316, 268, 150, 19);
    btnMoreOptions = Guide(MakeButton(
        page, "btnMoreOptions", QStringLiteral("更多选项..."), QRect(470, 266, 100, 22)));
    connect(btnMoreOptions, &QPushButton::clicked, this, &TfrmMain::btnMoreOptionsClick);
    frmShowOptions = new TfrmShowOptions(this);
}

void TfrmMain::ShowOptions(const TSaverSettings& settings) {
    cboImageSize->setCurrentIndex(settings.StretchImages != 0 ? 1 : 0);
    udInterval->SetPosition(settings.IntervalSeconds);
    const TShowExtras extras = ReadShowExtras(settings);
    (settings.SequentialOrder != 0 ? rdoSeqNor
     : extras.Shuffle              ? rdoSeqShuffle
                                   : rdoSeqRnd)
        ->setChecked(true);
    SetPanelColor(pnlBackColor, settings.BackColor);
    SetPreviewColor(settings.BackColor);
    cboTransitionTime->setCurrentIndex(extras.TransitionHalfSeconds - MinTransitionHalfSeconds);
    chkPanZoom->setChecked(extras.PanZoom);
    chkBlurFill->setChecked(extras.Fill == TShowExtras::fmBlur);
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
    // The choices of "更多选项..." and of the transition dialog already lie in the record's
    // block; the order and the page's motion choices join them.
    TShowExtras extras = ReadShowExtras(FSettings);
    extras.Shuffle = rdoSeqShuffle->isChecked();
    extras.TransitionHalfSeconds = cboTransitionTime->currentIndex() + MinTransitionHalfSeconds;
    extras.PanZoom = chkPanZoom->isChecked();
    extras.Fill = chkBlurFill->isChecked() ? TShowExtras::fmBlur : TShowExtras::fmColour;
    WriteShowExtras(FSettings, extras);
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

void TfrmMain::btnSoundOpenClick() {
    // The music folder at first, then where the user last chose a sound in this run.
    if (FSoundDir.isEmpty()) {
        FSoundDir = UserMusicDir();
    }
    const QString file = FServices.Dialogs.OpenSound(this, FSoundDir);
    if (!file.isEmpty()) {
        FSoundDir = QFileInfo(file).absolutePath();
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
    TShowExtras extras = ReadShowExtras(FSettings);
    if (dialog != nullptr && dialog->EditTransitions(FSettings.Transitions, extras)) {
        dialog->WriteTransitions(FSettings.Transitions, extras);
        // Only effects 21 to 23 chosen: the block says so and the record keeps all twenty on,
        // for players that know only those.
        WriteShowExtras(FSettings, extras);
    }
}

void TfrmMain::btnDescriptionClick() {
    TfrmDescription* dialog = FForms.frmDescription;
    if (dialog != nullptr && dialog->EditDescription(FSettings.Description)) {
        dialog->WriteDescription(FSettings.Description);
    }
}

void TfrmMain::btnMoreOptionsClick() {
    TShowExtras extras = ReadShowExtras(FSettings);
    if (frmShowOptions->EditExtras(extras)) {
        frmShowOptions->WriteExtras(extras);
        WriteShowExtras(FSettings, extras);
    }
}

void TfrmMain::pnlBackColorClick() {
    PickPanelColor(pnlBackColor,
                   [this](TColor initial) { return FServices.Dialogs.PickColor(this, initial); });
    SetPreviewColor(PanelColor(pnlBackColor));
}

void TfrmMain::SetPreviewColor(TColor color) {
    FPreview->SetColor(color);
}
