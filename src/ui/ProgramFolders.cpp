#include "ui/ProgramFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "toolkit/UserFile.h"
#include "ui/FileNames.h"

namespace {

// Whether a file can be created in folder. Tried rather than read from the permission bits:
// root may write where the bits say no, and nobody may write on a read-only file system.
bool CanCreateFileIn(const QString& folder) {
    QTemporaryFile probe(folder + QStringLiteral("/.kavro-XXXXXX"));
    return probe.open();
}

bool AnyStubIn(const QString& folder) {
    for (const char* name : {"ie.dat", "ss.dat", "ui.dat"}) {
        if (IsRegularFile(FileNameBytes(folder + QString::fromLatin1(name)))) {
            return true;
        }
    }
    return false;
}

// The folder the desktop keeps for location, as the user's dirs file names it, when it exists;
// otherwise the home folder. A fresh account often has no such folder at all.
QString UserFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    return folder.isEmpty() || !QFileInfo(folder).isDir() ? QDir::homePath() : folder;
}

}  // namespace

QString UserDocumentsDir() {
    return UserFolder(QStandardPaths::DocumentsLocation);
}

QString UserPicturesDir() {
    return UserFolder(QStandardPaths::PicturesLocation);
}

QString UserMusicDir() {
    return UserFolder(QStandardPaths::MusicLocation);
}

std::string DefaultOutputDir(const std::string& programDir) {
    const QString program = QString::fromStdString(programDir);
    const QString beside = program + QStringLiteral("ScreenSavers");
    // An output folder made earlier counts, even in a folder that the program cannot change.
    if (CanCreateFileIn(QFileInfo(beside).isDir() ? beside : program)) {
        return programDir + "ScreenSavers/";
    }
    return QDir(UserDocumentsDir()).filePath(QStringLiteral("ScreenSavers")).toStdString() + "/";
}

std::string StubDir(const std::string& programDir) {
    const QString program = QString::fromStdString(programDir);
    if (AnyStubIn(program)) {
        return programDir;
    }
    const QString installed =
        QDir::cleanPath(program + QStringLiteral("../lib/kavro")) + QLatin1Char('/');
    return AnyStubIn(installed) ? installed.toStdString() : programDir;
}
