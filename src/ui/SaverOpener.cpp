#include "ui/SaverOpener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <stdexcept>
#include <vector>

#include "pack/InstallerReader.h"

namespace {

// One file to be written: its name in the folder and how to read its bytes from the saver.
struct TPieceFile {
    QString Name;
    std::function<std::string()> Bytes;
};

std::vector<TPieceFile> PieceFiles(const TInstallerReader& reader) {
    std::vector<TPieceFile> files;
    for (int i = 0; i < reader.PictureCount(); ++i) {
        files.push_back({QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')) +
                             QString::fromStdString(reader.PictureExt(i)),
                         [&reader, i] { return reader.PictureBytes(i); }});
    }
    if (reader.HasSound()) {
        files.push_back({QStringLiteral("背景声音") + QString::fromStdString(reader.SoundExt()),
                         [&reader] { return reader.SoundBytes(); }});
    }
    return files;
}

enum class TFolderFit { Fits, Differs };

// Whether every file of the saver already in folder holds the saver's bytes.
TFolderFit CheckFolder(const QDir& folder, const std::vector<TPieceFile>& files) {
    for (const TPieceFile& file : files) {
        QFile present(folder.filePath(file.Name));
        if (!present.exists()) {
            continue;
        }
        if (!present.open(QIODevice::ReadOnly) ||
            present.readAll() != QByteArray::fromStdString(file.Bytes())) {
            return TFolderFit::Differs;
        }
    }
    return TFolderFit::Fits;
}

void WriteFile(const QString& path, const std::string& bytes) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !out.commit()) {
        throw std::runtime_error("无法写入文件“" + QDir::toNativeSeparators(path).toStdString() +
                                 "”");
    }
}

// The first folder named after base, base (2), … below parent whose files fit; empty when
// parent cannot hold one.
QString ChooseFolder(const QString& parent,
                     const QString& base,
                     const std::vector<TPieceFile>& files) {
    for (int n = 1;; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(n);
        const QString path = QDir(parent).filePath(name);
        const QFileInfo info(path);
        if (info.exists() && !info.isDir()) {
            continue;
        }
        if (!QDir().mkpath(path) || !QFileInfo(path).isWritable()) {
            return {};
        }
        if (CheckFolder(QDir(path), files) == TFolderFit::Fits) {
            return path;
        }
    }
}

}  // namespace

TSaverFiles WriteSaverFiles(const TInstallerReader& reader,
                            const QString& fallbackDir,
                            const std::function<void()>& onStep) {
    const QFileInfo saver(QString::fromStdString(reader.FileName()));
    const QString base = saver.completeBaseName() + QStringLiteral("_文件");
    const std::vector<TPieceFile> files = PieceFiles(reader);
    QString folder = ChooseFolder(saver.absolutePath(), base, files);
    if (folder.isEmpty()) {
        folder = ChooseFolder(fallbackDir, base, files);
    }
    if (folder.isEmpty()) {
        throw std::runtime_error(
            "无法创建文件夹“" +
            QDir::toNativeSeparators(QDir(fallbackDir).filePath(base)).toStdString() + "”");
    }
    TSaverFiles result;
    result.Folder = folder;
    for (const TPieceFile& file : files) {
        const QString path = QDir(folder).filePath(file.Name);
        // A file already there holds these bytes: the folder check read it.
        if (!QFileInfo::exists(path)) {
            WriteFile(path, file.Bytes());
        }
        if (result.Pictures.size() < reader.PictureCount()) {
            result.Pictures << path;
        } else {
            result.Sound = path;
        }
        if (onStep) {
            onStep();
        }
    }
    return result;
}

TOpenedSaver ReadSaver(const QString& fileName,
                       const QString& fallbackDir,
                       const std::function<void(int done, int total)>& onProgress) {
    const TInstallerReader reader(fileName.toStdString());
    TOpenedSaver saver;
    saver.Settings = reader.Settings();
    saver.Title = QString::fromStdString(reader.Title());
    const int total = reader.PictureCount() + (reader.HasSound() ? 1 : 0);
    if (onProgress) {
        onProgress(0, total);
    }
    saver.Files = WriteSaverFiles(reader, fallbackDir, [&onProgress, total, step = 0]() mutable {
        if (onProgress) {
            onProgress(++step, total);
        }
    });
    return saver;
}
