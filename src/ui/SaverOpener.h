#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "settings/SaverSettings.h"

class TInstallerReader;

// The pictures and the sound of an opened saver as files the wizard's lists can name.
struct TSaverFiles {
    QString Folder;
    QStringList Pictures;  // in show order
    QString Sound;         // empty when the saver has none
};

// Writes the pictures and the sound held by reader's file into "<name>_文件" beside it as
// 001<ext>, 002<ext>, … and 背景声音<ext>, or into that folder under fallbackDir when the file's
// own folder cannot be written. A folder whose files equal the saver's is used again; a folder
// holding any file that differs is left alone for "<name>_文件 (2)" and so on. Each file is
// written whole or not at all. onStep runs after every piece. Throws std::runtime_error naming
// the file that cannot be written.
TSaverFiles WriteSaverFiles(const TInstallerReader& reader,
                            const QString& fallbackDir,
                            const std::function<void()>& onStep = {});

// A saver read back: what the wizard's controls and record held, and its files written out.
struct TOpenedSaver {
    TSaverSettings Settings;
    QString Title;
    TSaverFiles Files;
};

// Reads the saver fileName and writes out its files as WriteSaverFiles does. onProgress learns
// the number of steps first, as (0, total), then each step done. Throws with the user-facing
// message when the file is no saver or a file cannot be written.
TOpenedSaver ReadSaver(const QString& fileName,
                       const QString& fallbackDir,
                       const std::function<void(int done, int total)>& onProgress = {});
