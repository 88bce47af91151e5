#include "ui/FileDrop.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QWidget>

#include "toolkit/FileExt.h"
#include "toolkit/PictureFormats.h"

namespace {

bool IsPicture(const QString& file) {
    return FindPictureFormat(FileExtLower(file.toStdString())) != nullptr;
}

bool IsSound(const QString& file) {
    const std::string ext = FileExtLower(file.toStdString());
    return ext == ".mp3" || ext == ".wav" || ext == ".mid" || ext == ".rmi";
}

}  // namespace

TDroppedFiles SortDroppedFiles(const QList<QUrl>& urls) {
    TDroppedFiles dropped;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            dropped.Others << url.toDisplayString();
            continue;
        }
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (info.isDir()) {
            const QDir folder(path);
            for (const QString& name :
                 folder.entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase)) {
                if (IsPicture(name)) {
                    dropped.Pictures << folder.filePath(name);
                }
            }
        } else if (IsPicture(path)) {
            dropped.Pictures << path;
        } else if (IsSound(path)) {
            dropped.Sounds << path;
        } else {
            dropped.Others << info.fileName();
        }
    }
    return dropped;
}

QString IgnoredFilesText(const QStringList& names) {
    // A long list would not fit on the screen; the first few tell what happened.
    constexpr qsizetype Shown = 10;
    QStringList lines = names.mid(0, Shown);
    if (names.size() > Shown) {
        lines << QStringLiteral("... (共 %1 个)").arg(names.size());
    }
    return QStringLiteral("这些文件不能放在这里,已忽略:\n") + lines.join(QLatin1Char('\n'));
}

TFileDropTarget::TFileDropTarget(QObject* parent, std::function<void(const QList<QUrl>&)> dropped)
    : QObject(parent), FDropped(std::move(dropped)) {}

void TFileDropTarget::Watch(QWidget* widget) {
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool TFileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!drop->mimeData()->hasUrls()) {
                return true;
            }
            drop->acceptProposedAction();
            // Handled once the drop is over: the file manager waits for its end, and the
            // handler may show a box.
            QMetaObject::invokeMethod(
                this,
                [this, urls = drop->mimeData()->urls()] { FDropped(urls); },
                Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}
