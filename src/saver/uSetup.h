#pragma once

#include <QDialog>
#include <functional>

#include "saver/ShowInstaller.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TInstallerReader;

// The window an installer file opens with: the show's title, its number of pictures and the
// first one as a thumbnail, the desktop and screensaver host found, when the show will start
// and whether it may delay the desktop's lock, and buttons to play it, install it as the
// screensaver, uninstall it and close. Every outcome is told in a message box.
class TfrmSetup : public QDialog {
    Q_OBJECT

public:
    // The reader is borrowed; play runs the show full screen and answers an error, or empty.
    TfrmSetup(const TInstallerReader& reader,
              TInstallEnvironment environment,
              std::function<std::string()> play,
              QWidget* parent = nullptr);

private:
    void btnPlayClick();
    void btnInstallClick();
    void udDelayChange();
    void OfferCompositorConfig();
    TWatchOptions WatchOptions() const;
    void btnUninstallClick();
    void UpdateButtons();
    void Tell(bool ok, const std::string& message);

    const TInstallerReader& FReader;
    TInstallEnvironment FEnvironment;
    TShowInstaller FInstaller;
    std::function<std::string()> FPlay;
    bool FDelayChosen = false;
    QLabel* lblHost;
    QLabel* lblDelay;
    QDoubleSpinBox* udDelay;
    QCheckBox* chkKeepOn;
    QSpinBox* udKeepOn;
    QLabel* imgThumbnail;
    QCheckBox* chkSelect;
    QPushButton* btnPlay;
    QPushButton* btnInstall;
    QPushButton* btnUninstall;
    QPushButton* btnClose;
};
