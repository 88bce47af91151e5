#include "ui/WizardRules.h"

#include "toolkit/FileExt.h"
#include "toolkit/Rounding.h"
#include "toolkit/UserFile.h"

QRect FitThumbnail(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaHeight <= 0) {
        return {};
    }
    const double r = static_cast<double>(pictureWidth) / pictureHeight;
    const double ra = static_cast<double>(areaWidth) / areaHeight;
    int w = areaWidth;
    int h = areaHeight;
    if (r >= ra) {
        h = static_cast<int>(RoundToEven(areaWidth / r));
    } else {
        w = static_cast<int>(RoundToEven(areaHeight * r));
    }
    return QRect((areaWidth - w) / 2, (areaHeight - h) / 2, w, h);
}

QString TitleFromText(const QString& text) {
    if (text.isEmpty() || text == TitlePlaceholder) {
        return {};
    }
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= ' ') {
        ++first;
    }
    while (last > first && text[last - 1].unicode() <= ' ') {
        --last;
    }
    return text.mid(first, last - first);
}

QString DefaultOutputName(const QString& outputDir, const QString& title) {
    if (title.isEmpty()) {
        return {};
    }
    QString name = title;
    name.remove(QLatin1Char(' '));
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    // ".run", not ".exe": file managers offer a ".exe" to Wine and will not start it.
    return QStringLiteral("%1%2.run").arg(outputDir, name);
}

void CopyControlsToSettings(const TWizardControls& controls, TSaverSettings& settings) {
    WriteFieldUtf8(settings.Title, controls.Title.toStdString());
    settings.PictureCount = static_cast<uint8_t>(controls.PictureCount);
    settings.BackColor = controls.BackColor;
    settings.StretchImages = controls.ImageSizeIndex == 1 ? 1 : 0;
    settings.IntervalSeconds = controls.IntervalSeconds;
    settings.SequentialOrder = controls.SequentialOrder ? 1 : 0;
    const bool soundExists = !controls.SoundFile.empty() && IsRegularFile(controls.SoundFile);
    settings.SoundIncluded = soundExists ? 1 : 0;
    settings.PlaySound = settings.SoundIncluded;
    WriteFieldUtf8(settings.SoundExt, FileExtLower(controls.SoundFile));
}
