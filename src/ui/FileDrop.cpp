#include "ui/FileDrop.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "toolkit/FileExt.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/UserFile.h"
#include "ui/FileNames.h"

namespace {

bool IsPicture(const std::string& file) {
    return FindPictureFormat(FileExtLower(file)) != nullptr;
}

bool IsSound(const std::string& file) {
    const std::string ext = FileExtLower(file);
    return ext == ".mp3" || ext == ".wav" || ext == ".mid" || ext == ".rmi";
}

bool IsDir(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The readable regular files of a folder that are pictures, hidden ones left out, in name order
// ignoring case.
std::vector<std::string> PicturesIn(const std::string& folder) {
    std::vector<std::string> names;
    const std::string prefix = folder.back() == '/' ? folder : folder + "/";
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
    if (!dir) {
        return names;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string path = prefix + entry->d_name;
        if (entry->d_name[0] != '.' && IsPicture(entry->d_name) && IsRegularFile(path) &&
            access(path.c_str(), R_OK) == 0) {
            names.push_back(entry->d_name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return FileNameText(a).compare(FileNameText(b), Qt::CaseInsensitive) < 0;
    });
    for (std::string& name : names) {
        name = prefix + name;
    }
    return names;
}

}  // namespace

std::vector<std::string> PicturesInFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return PicturesIn(path);
}

TDroppedFiles SortDroppedFiles(const QList<QUrl>& urls) {
    TDroppedFiles dropped;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            dropped.Others << url.toDisplayString();
            continue;
        }
        std::string path = LocalFileBytes(url);
        if (IsDir(path)) {
            for (std::string& picture : PicturesInFolder(path)) {
                dropped.Pictures.push_back(std::move(picture));
            }
        } else if (IsPicture(path)) {
            dropped.Pictures.push_back(path);
        } else if (IsSound(path)) {
            dropped.Sounds.push_back(path);
        } else {
            dropped.Others << FileNameText(BaseName(path));
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
