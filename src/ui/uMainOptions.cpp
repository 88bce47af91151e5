// The options page's handlers: the sound, the background colour, the transitions and the
// description; the page's controls set from an opened saver and written into the record.
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include "engine/CdSound.h"
#include "toolkit/UserFile.h"
#include "ui/BaFunction.h"
#include "ui/FileDrop.h"
#include "ui/FileNames.h"
#include "ui/Messages.h"
#include "ui/PanelPreview.h"
#include "ui/UpDown.h"
#include "ui/WizardDialogs.h"
#include "ui/WizardRules.h"
#include "ui/uDescription.h"
#include "ui/uMain.h"
#include "ui/uTransitions.h"

void TfrmMain::ShowOptions(const TSaverSettings& settings) {
    cboImageSize->setCurrentIndex(settings.StretchImages != 0 ? 1 : 0);
    udInterval->SetPosition(settings.IntervalSeconds);
    (settings.SequentialOrder != 0 ? rdoSeqNor : rdoSeqRnd)->setChecked(true);
    SetPanelColor(pnlBackColor, settings.BackColor);
    SetPreviewColor(settings.BackColor);
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
    FPreview->SetColor(color);
}
