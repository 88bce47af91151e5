#pragma once

#include <QRect>
#include <QString>
#include <cstdint>
#include <string>

#include "settings/SaverSettings.h"

// The text that the title edit shows until the user types a title.
inline const QString TitlePlaceholder = QStringLiteral("请在这里输入屏幕保护的名称 !");

// Where the thumbnail of a pictureWidth × pictureHeight picture lies in an areaWidth ×
// areaHeight area: as large as fits with the picture's shape, centred.
QRect FitThumbnail(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// The title for naming the output file: empty for the placeholder or an empty text, otherwise
// the text without leading and trailing blanks and control characters.
QString TitleFromText(const QString& text);

// outputDir + title without spaces + ".exe"; empty for an empty title. "/" in the title becomes
// "_" so that the name stays inside outputDir.
QString DefaultOutputName(const QString& outputDir, const QString& title);

// What the wizard's controls say about the screensaver.
struct TWizardControls {
    QString Title;  // as typed, untrimmed
    int PictureCount = 0;
    TColor BackColor = clBlack;
    int ImageSizeIndex = 0;  // 1: fit to the screen
    int16_t IntervalSeconds = 5;
    bool SequentialOrder = true;
    std::string SoundFile;  // the bytes of its name
};

// Copies the controls into the record's fields that they own; captions, transitions and the
// description block stay as they are.
void CopyControlsToSettings(const TWizardControls& controls, TSaverSettings& settings);
