#include "ui/QtWizardDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QRegularExpression>

#include "engine/SoundFormats.h"
#include "toolkit/Picture.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/UserFile.h"
#include "ui/BaFunction.h"
#include "ui/FileNames.h"

namespace {

// "所有支持类型 (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG 图象文件 (*.jpg)|*.jpg|...", one
// entry per accepted extension after the entry of all of them.
template <typename Formats>
QString MakeFilter(const Formats& formats) {
    QStringList patterns;
    QStringList entries;
    for (const auto& format : formats) {
        const QString pattern = "*" + QString::fromUtf8(format.Ext);
        patterns << pattern;
        entries << QString::fromUtf8(format.TypeName) + " (" + pattern + ")|" + pattern;
    }
    const QString all = patterns.join(QLatin1Char(';'));
    return QStringLiteral("所有支持类型 (") + all + ")|" + all + "|" +
           entries.join(QLatin1Char('|'));
}

const QString PictureFilter = MakeFilter(PictureFormats);
const QString SoundFilter = MakeFilter(SoundFormats);
const QString SaveFilter = QStringLiteral("自动安装程序 (*.run)|*.run");
const QString SaverFilter = QStringLiteral("Kavro 屏保 (*.run *.exe)|*.run *.exe");

constexpr int PreviewSize = 160;

// The folder itself or, while it does not exist yet (the output folder before the first build),
// its nearest existing parent, so that the dialog does not open somewhere unrelated.
QString ExistingFolder(const QString& folder) {
    QString path = QDir::cleanPath(folder);
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path) {
            break;
        }
        path = parent;
    }
    return path;
}

// Qt's file dialog in the wizard's language. After the file mode, which resets the labels.
void Prepare(QFileDialog& dialog, QFileDialog::FileMode mode, const QString& filter, bool save) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setNameFilters(TQtWizardDialogs::NameFilters(filter));
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("查找范围:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("文件类型:"));
    dialog.setLabelText(QFileDialog::Accept,
                        save ? QStringLiteral("保存(&S)") : QStringLiteral("打开(&O)"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
}

// Shows the picture under the cursor of a file dialog, scaled to fit the pane.
void AddPreviewPane(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr) {
        return;
    }
    auto* preview = new QLabel(&dialog);
    preview->setObjectName("picturePreview");
    preview->setFixedSize(PreviewSize, PreviewSize);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    grid->addWidget(preview, 1, grid->columnCount(), grid->rowCount() - 1, 1);
    QObject::connect(
        &dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
            preview->clear();
            if (!IsRegularFile(FileNameBytes(path))) {
                return;
            }
            try {
                TPicture picture;
                picture.SetTargetSize(PreviewSize - 4, PreviewSize - 4);
                picture.LoadFromFile(path.toStdString());
                preview->setPixmap(
                    QPixmap::fromImage(picture.Graphic().Image().scaled(PreviewSize - 4,
                                                                        PreviewSize - 4,
                                                                        Qt::KeepAspectRatio,
                                                                        Qt::SmoothTransformation)));
            } catch (const std::exception&) {
                // A file that does not decode simply shows no preview.
            }
        });
}

}  // namespace

QStringList TQtWizardDialogs::NameFilters(const QString& filter) {
    // Qt reads the patterns from the parentheses of each description, separated by blanks.
    static const QRegularExpression Patterns(QStringLiteral("\\(([^()]*)\\)$"));
    const QStringList fields = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        QString description = fields[i];
        const QRegularExpressionMatch match = Patterns.match(description);
        if (match.hasMatch()) {
            description.replace(match.capturedStart(1),
                                match.capturedLength(1),
                                QString(fields[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
        }
        result << description;
    }
    return result;
}

QStringList TQtWizardDialogs::OpenPictures(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), ExistingFolder(folder));
    Prepare(dialog, QFileDialog::ExistingFiles, PictureFilter, false);
    dialog.setSizeGripEnabled(true);
    AddPreviewPane(dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString TQtWizardDialogs::OpenSound(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), ExistingFolder(folder));
    Prepare(dialog, QFileDialog::ExistingFile, SoundFilter, false);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString TQtWizardDialogs::OpenSaver(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), ExistingFolder(folder));
    Prepare(dialog, QFileDialog::ExistingFile, SaverFilter, false);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString TQtWizardDialogs::SaveTarget(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QString(), ExistingFolder(folder));
    Prepare(dialog, QFileDialog::AnyFile, SaveFilter, true);
    dialog.setDefaultSuffix(QStringLiteral("run"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

TColor TQtWizardDialogs::PickColor(QWidget* parent, TColor initial) {
    return ::PickColor(initial, parent);
}
