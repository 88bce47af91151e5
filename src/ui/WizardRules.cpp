#include "ui/WizardRules.h"

#include "toolkit/FileExt.h"
#include "toolkit/FitRect.h"
#include "toolkit/UserFile.h"

QRect FitThumbnail(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    const TRect fitted = FitRect(areaWidth, areaHeight, pictureWidth, pictureHeight);
    return QRect(fitted.Left, fitted.Top, fitted.Width(), fitted.Height());
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
