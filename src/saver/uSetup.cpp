#include "saver/uSetup.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "pack/InstallerReader.h"
#include "toolkit/Picture.h"

namespace {

constexpr int ThumbWidth = 200;
constexpr int ThumbHeight = 150;

QPixmap Thumbnail(const TInstallerReader& reader) {
    if (reader.PictureCount() == 0) {
        return {};
    }
    try {
        const std::string bytes = reader.PictureBytes(0);
        TPicture picture;
        picture.LoadFromBytes(bytes.data(), bytes.size(), reader.PictureExt(0), reader.FileName());
        return QPixmap::fromImage(picture.Graphic().Image().scaled(
            ThumbWidth, ThumbHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } catch (const std::exception&) {
        return {};  // a damaged first picture leaves the thumbnail empty, not the window
    }
}

}  // namespace

TfrmSetup::TfrmSetup(const TInstallerReader& reader,
                     TInstallEnvironment environment,
                     std::function<std::string()> play,
                     QWidget* parent)
    : QDialog(parent), FInstaller(reader, std::move(environment)), FPlay(std::move(play)) {
    setObjectName("frmSetup");
    const QString title = QString::fromStdString(reader.Title());
    setWindowTitle(title.isEmpty() ? QStringLiteral("Kavro 屏幕保护") : title);

    auto* lblTitle = new QLabel(title, this);
    lblTitle->setObjectName("lblTitle");
    QFont big = lblTitle->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    lblTitle->setFont(big);
    auto* lblCount = new QLabel(QStringLiteral("共 %1 张图片").arg(reader.PictureCount()), this);
    lblCount->setObjectName("lblCount");
    imgThumbnail = new QLabel(this);
    imgThumbnail->setObjectName("imgThumbnail");
    imgThumbnail->setFixedSize(ThumbWidth, ThumbHeight);
    imgThumbnail->setAlignment(Qt::AlignCenter);
    imgThumbnail->setFrameShape(QFrame::StyledPanel);
    imgThumbnail->setPixmap(Thumbnail(reader));
    chkSelect = new QCheckBox(QStringLiteral("设为当前屏幕保护"), this);
    chkSelect->setObjectName("chkSelect");
    chkSelect->setChecked(true);

    btnPlay = new QPushButton(QStringLiteral("播放"), this);
    btnPlay->setObjectName("btnPlay");
    btnInstall = new QPushButton(QStringLiteral("安装为屏幕保护"), this);
    btnInstall->setObjectName("btnInstall");
    btnUninstall = new QPushButton(QStringLiteral("卸载"), this);
    btnUninstall->setObjectName("btnUninstall");
    btnClose = new QPushButton(QStringLiteral("关闭"), this);
    btnClose->setObjectName("btnClose");

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblCount);
    text->addStretch();
    text->addWidget(chkSelect);
    auto* top = new QHBoxLayout;
    top->addWidget(imgThumbnail);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnPlay, btnInstall, btnUninstall, btnClose}) {
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(btnPlay, &QPushButton::clicked, this, &TfrmSetup::btnPlayClick);
    connect(btnInstall, &QPushButton::clicked, this, &TfrmSetup::btnInstallClick);
    connect(btnUninstall, &QPushButton::clicked, this, &TfrmSetup::btnUninstallClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    UpdateButtons();
}

void TfrmSetup::UpdateButtons() {
    btnUninstall->setEnabled(FInstaller.IsInstalled());
}

void TfrmSetup::Tell(bool ok, const std::string& message) {
    QMessageBox box(ok ? QMessageBox::Information : QMessageBox::Warning,
                    windowTitle(),
                    QString::fromStdString(message),
                    QMessageBox::Ok,
                    this);
    box.setObjectName("msgOutcome");
    // The commands it names stand on lines of their own, to be selected and copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

void TfrmSetup::btnPlayClick() {
    const std::string error = FPlay ? FPlay() : std::string();
    if (!error.empty()) {
        Tell(false, error);
    }
}

void TfrmSetup::btnInstallClick() {
    try {
        const std::string message = FInstaller.Install(chkSelect->isChecked());
        UpdateButtons();
        Tell(true, message);
    } catch (const std::exception& error) {
        UpdateButtons();
        Tell(false, error.what());
    }
}

void TfrmSetup::btnUninstallClick() {
    try {
        const std::string message = FInstaller.Uninstall();
        UpdateButtons();
        Tell(true, message);
    } catch (const std::exception& error) {
        UpdateButtons();
        Tell(false, error.what());
    }
}
