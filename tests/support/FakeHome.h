#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

// A home folder of the test's own while it lives: HOME and XDG_CONFIG_HOME point into it, and
// the user's dirs file holds the lines given, as XDG_PICTURES_DIR="$HOME/Bilder".
class TFakeHome {
public:
    explicit TFakeHome(const QStringList& userDirs = {})
        : FOldHome(Take("HOME")), FOldConfig(Take("XDG_CONFIG_HOME")) {
        qputenv("HOME", QFile::encodeName(FDir.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FDir.filePath(".config")));
        QDir(FDir.path()).mkpath(".config");
        if (!userDirs.isEmpty()) {
            QFile file(FDir.filePath(".config/user-dirs.dirs"));
            file.open(QIODevice::WriteOnly);
            file.write((userDirs.join('\n') + '\n').toUtf8());
        }
    }
    ~TFakeHome() {
        Restore("HOME", FOldHome);
        Restore("XDG_CONFIG_HOME", FOldConfig);
    }
    TFakeHome(const TFakeHome&) = delete;
    TFakeHome& operator=(const TFakeHome&) = delete;

    // A path below the home folder; the home folder itself for an empty one.
    QString Path(const QString& below = {}) const {
        return below.isEmpty() ? FDir.path() : FDir.filePath(below);
    }
    // Makes the folders below the home folder that the names list.
    void Make(const QStringList& folders) const {
        for (const QString& folder : folders) {
            QDir(FDir.path()).mkpath(folder);
        }
    }

private:
    struct TOld {
        bool Set;
        QByteArray Value;
    };
    static TOld Take(const char* name) { return {qEnvironmentVariableIsSet(name), qgetenv(name)}; }
    static void Restore(const char* name, const TOld& old) {
        if (old.Set) {
            qputenv(name, old.Value);
        } else {
            qunsetenv(name);
        }
    }

    QTemporaryDir FDir;
    TOld FOldHome;
    TOld FOldConfig;
};
