#include "saver/uSetup.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "pack/InstallerReader.h"
#include "saver/DesktopDelay.h"
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

QString DelayText(double minutes) {
    return QStringLiteral("闲置 %1 分钟后开始放映").arg(QString::number(minutes, 'g', 4));
}

// Which desktop this is and who will start the show.
QString HostText(const TInstallEnvironment& env, const TAutostartEntry& watcher) {
    const std::string desktop = DesktopName(TDesktopSettings::FromProcess());
    QString host;
    if (env.HostRunning && env.HostRunning()) {
        host = QStringLiteral("xscreensaver（正在运行，由它放映）");
    } else {
        host = QStringLiteral("Kavro 闲置监视程序");
        if (watcher.WatcherRunning()) {
            host += QStringLiteral("（正在运行）");
        }
        if (env.HostInstalled && env.HostInstalled()) {
            host += QStringLiteral("；xscreensaver 已安装但没有运行");
        }
    }
    return QStringLiteral("桌面：%1　屏保宿主：%2")
        .arg(desktop.empty() ? QStringLiteral("未知") : QString::fromStdString(desktop), host);
}

}  // namespace

TfrmSetup::TfrmSetup(const TInstallerReader& reader,
                     TInstallEnvironment environment,
                     std::function<std::string()> play,
                     QWidget* parent)
    : QDialog(parent)
    , FReader(reader)
    , FEnvironment(std::move(environment))
    , FInstaller(reader, FEnvironment)
    , FPlay(std::move(play)) {
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

    const TAutostartEntry watcher = FInstaller.Watcher();
    lblHost = new QLabel(HostText(FEnvironment, watcher), this);
    lblHost->setObjectName("lblHost");
    lblHost->setWordWrap(true);
    auto* lblDelayChoice = new QLabel(QStringLiteral("开始放映前的闲置时间："), this);
    udDelay = new QDoubleSpinBox(this);
    udDelay->setObjectName("udDelay");
    udDelay->setRange(0.5, 1440);
    udDelay->setSingleStep(0.5);
    udDelay->setDecimals(1);
    udDelay->setSuffix(QStringLiteral(" 分钟"));
    udDelay->setValue(watcher.IdleAfterSeconds() / 60.0);
    lblDelay = new QLabel(DelayText(udDelay->value()), this);
    lblDelay->setObjectName("lblDelay");
    chkKeepOn = new QCheckBox(QStringLiteral("放映时推迟桌面的锁屏和关屏，最多"), this);
    chkKeepOn->setObjectName("chkKeepOn");
    udKeepOn = new QSpinBox(this);
    udKeepOn->setObjectName("udKeepOn");
    udKeepOn->setRange(1, 1440);
    udKeepOn->setSuffix(QStringLiteral(" 分钟"));
    const int keepOn = watcher.State().KeepScreenOnMinutes;
    chkKeepOn->setChecked(keepOn > 0);
    udKeepOn->setValue(keepOn > 0 ? keepOn : 30);
    udKeepOn->setEnabled(keepOn > 0);

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
    text->addWidget(lblHost);
    text->addStretch();
    text->addWidget(chkSelect);
    auto* delay = new QHBoxLayout;
    delay->addWidget(lblDelayChoice);
    delay->addWidget(udDelay);
    delay->addStretch();
    text->addLayout(delay);
    text->addWidget(lblDelay);
    auto* keep = new QHBoxLayout;
    keep->addWidget(chkKeepOn);
    keep->addWidget(udKeepOn);
    keep->addStretch();
    text->addLayout(keep);
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
    connect(udDelay, &QDoubleSpinBox::valueChanged, this, &TfrmSetup::udDelayChange);
    connect(chkKeepOn, &QCheckBox::toggled, udKeepOn, &QSpinBox::setEnabled);
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

void TfrmSetup::udDelayChange() {
    FDelayChosen = true;
    lblDelay->setText(DelayText(udDelay->value()));
}

TWatchOptions TfrmSetup::WatchOptions() const {
    TWatchOptions options = FEnvironment.Watch;
    // Left alone, the delay keeps following the desktop's own.
    if (FDelayChosen) {
        options.IdleAfterSeconds = static_cast<int>(udDelay->value() * 60 + 0.5);
    }
    options.KeepScreenOnMinutes = chkKeepOn->isChecked() ? udKeepOn->value() : 0;
    return options;
}

void TfrmSetup::OfferCompositorConfig() {
    const TAutostartEntry watcher = FInstaller.Watcher();
    const std::string line = watcher.CompositorConfigLine();
    if (line.empty()) {
        return;
    }
    const std::string file = watcher.CompositorConfigFile().string();
    if (ReadWholeFile(file).value_or("").find(line) != std::string::npos) {
        return;
    }
    QMessageBox box(QMessageBox::Question,
                    windowTitle(),
                    QStringLiteral("这个桌面不读取自动启动项，闲置监视程序要由它的配置文件启动。\n"
                                   "要把下面这一行加入 %1 吗？\n\n%2")
                        .arg(QString::fromStdString(file), QString::fromStdString(line)),
                    QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setObjectName("msgCompositor");
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes) {
        FInstaller.Watcher().AddToCompositorConfig();
    }
}

void TfrmSetup::btnInstallClick() {
    try {
        TInstallEnvironment environment = FEnvironment;
        environment.Watch = WatchOptions();
        const std::string message =
            TShowInstaller(FReader, environment).Install(chkSelect->isChecked());
        UpdateButtons();
        lblHost->setText(HostText(FEnvironment, FInstaller.Watcher()));
        Tell(true, message);
        OfferCompositorConfig();
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
