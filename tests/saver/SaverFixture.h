#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "pack/BuildInstaller.h"
#include "settings/CodePage.h"
#include "settings/SaverSettings.h"

// An installer file made with the stubs of this build: `pictures` solid BMPs of 64 × 48 in
// the given colours, one second each, in order, and the sound file given, if any.
inline std::string MakeShowFile(const QString& folder,
                                const std::string& title,
                                const std::vector<QColor>& pictures,
                                const QString& name = "show.run",
                                const std::string& sound = "") {
    std::vector<std::string> files;
    for (size_t i = 0; i < pictures.size(); ++i) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(pictures[i]);
        const QString file = folder + QStringLiteral("/p%1.bmp").arg(i);
        image.save(file, "BMP");
        files.push_back(file.toStdString());
    }
    TSaverSettings settings;
    InitSaverSettings(settings);
    WriteFieldUtf8(settings.Title, title);
    settings.PictureCount = static_cast<uint8_t>(files.size());
    settings.IntervalSeconds = 1;
    settings.SequentialOrder = 1;
    settings.StretchImages = 1;
    settings.Description.ShowDescription = 0;
    settings.SoundIncluded = settings.PlaySound = sound.empty() ? 0 : 1;
    const std::string target = (folder + "/" + name).toStdString();
    BuildInstaller(target,
                   Utf8ToGbk(title),
                   KAVRO_BUILD_DIR "/",
                   settings,
                   files,
                   sound,
                   folder.toStdString() + "/out/",
                   [] {});
    return target;
}

struct TRunResult {
    int Code = -1;
    QString Output;  // standard output and error together
};

// Runs a program to its end (at most `seconds`).
inline TRunResult RunProgram(
    const QString& program,
    const QStringList& args,
    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
    int seconds = 20) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(seconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QString::fromUtf8(process.readAll())};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}
