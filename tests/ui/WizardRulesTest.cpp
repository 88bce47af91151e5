#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "settings/SaverSettings.h"
#include "ui/WizardRules.h"

class TWizardRulesTest : public QObject {
    Q_OBJECT

private slots:
    void fitsThumbnail_data();
    void fitsThumbnail();
    void trimsTitle_data();
    void trimsTitle();
    void namesOutput_data();
    void namesOutput();
    void copiesControls();
    void keepsTitleBlanksAndCutsAtField();
    void takesSoundFlagsFromTheFile();
    void cutsLongSoundExtensionAtItsField();
};

void TWizardRulesTest::fitsThumbnail_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QRect>("expected");
    const QSize panel(181, 137);
    QTest::newRow("wide 1600x900") << QSize(1600, 900) << panel << QRect(0, 17, 181, 102);
    QTest::newRow("tall 600x800") << QSize(600, 800) << panel << QRect(39, 0, 103, 137);
    QTest::newRow("same shape 362x274") << QSize(362, 274) << panel << QRect(0, 0, 181, 137);
    QTest::newRow("tiny 2x1 grows") << QSize(2, 1) << panel << QRect(0, 23, 181, 90);
    // 100 / 8 = 12.5 rounds down to the even 12; 27 / 2 = 13.5 rounds up to the even 14.
    QTest::newRow("half to even below") << QSize(8, 1) << QSize(100, 100) << QRect(0, 44, 100, 12);
    QTest::newRow("half to even above") << QSize(2, 1) << QSize(27, 100) << QRect(0, 43, 27, 14);
    QTest::newRow("empty picture") << QSize(0, 0) << panel << QRect();
}

void TWizardRulesTest::fitsThumbnail() {
    QFETCH(QSize, picture);
    QFETCH(QSize, area);
    QFETCH(QRect, expected);
    QCOMPARE(FitThumbnail(picture.width(), picture.height(), area.width(), area.height()),
             expected);
}

void TWizardRulesTest::trimsTitle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("placeholder") << TitlePlaceholder << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks only") << QStringLiteral("  \t ") << QString();
    QTest::newRow("outer and inner blanks")
        << QStringLiteral("  My  Show \t") << QStringLiteral("My  Show");
    QTest::newRow("control characters") << QStringLiteral("\x01我的\x02") << QStringLiteral("我的");
    QTest::newRow("ideographic space stays")
        << QStringLiteral("\u3000屏保") << QStringLiteral("\u3000屏保");
}

void TWizardRulesTest::trimsTitle() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TitleFromText(text), expected);
}

void TWizardRulesTest::namesOutput_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no title") << QString() << QString();
    QTest::newRow("inner blanks") << QStringLiteral("My  Show")
                                  << QStringLiteral("/p/ScreenSavers/MyShow.run");
    QTest::newRow("chinese") << QStringLiteral("我的 屏保")
                             << QStringLiteral("/p/ScreenSavers/我的屏保.run");
    QTest::newRow("tab stays") << QStringLiteral("a\tb")
                               << QStringLiteral("/p/ScreenSavers/a\tb.run");
    QTest::newRow("slashes stay inside")
        << QStringLiteral("../x/y z") << QStringLiteral("/p/ScreenSavers/.._x_yz.run");
}

void TWizardRulesTest::namesOutput() {
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(DefaultOutputName(QStringLiteral("/p/ScreenSavers/"), title), expected);
}

void TWizardRulesTest::copiesControls() {
    TSaverSettings settings;
    InitSaverSettings(settings);
    WriteFieldUtf8(settings.PictureTexts[3].Text, "caption");
    settings.Transitions[4] = 0;
    TWizardControls controls;
    controls.Title = QStringLiteral("屏保");
    controls.PictureCount = 255;
    controls.BackColor = 65280;
    controls.ImageSizeIndex = 1;
    controls.IntervalSeconds = 60;
    controls.SequentialOrder = false;
    CopyControlsToSettings(controls, settings);

    const char gbk[] = {'\xC6', '\xC1', '\xB1', '\xA3', '\0'};
    QCOMPARE(QByteArray(settings.Title, 5), QByteArray(gbk, 5));
    QCOMPARE(settings.PictureCount, 255);
    QCOMPARE(settings.BackColor, 65280);
    QCOMPARE(settings.StretchImages, 1);
    QCOMPARE(settings.IntervalSeconds, 60);
    QCOMPARE(settings.SequentialOrder, 0);
    QCOMPARE(settings.SoundIncluded, 0);
    QCOMPARE(settings.PlaySound, 0);
    QCOMPARE(QByteArray(settings.SoundExt, 5), QByteArray(5, '\0'));
    // What the dialogs own stays.
    QCOMPARE(ReadFieldUtf8(settings.PictureTexts[3].Text), std::string("caption"));
    QCOMPARE(settings.Transitions[4], 0);
    QCOMPARE(settings.Transitions[5], 1);

    controls.ImageSizeIndex = 0;
    controls.SequentialOrder = true;
    CopyControlsToSettings(controls, settings);
    QCOMPARE(settings.StretchImages, 0);
    QCOMPARE(settings.SequentialOrder, 1);
}

void TWizardRulesTest::keepsTitleBlanksAndCutsAtField() {
    TSaverSettings settings;
    InitSaverSettings(settings);
    TWizardControls controls;
    controls.Title = QString(120, QLatin1Char('x'));
    CopyControlsToSettings(controls, settings);
    QCOMPARE(QByteArray(settings.Title, 100), QByteArray(100, 'x'));
    QCOMPARE(settings.Reserved, 0);

    controls.Title = QStringLiteral("  My  Show ");
    CopyControlsToSettings(controls, settings);
    // The text field rule: the text, one zero byte, and the earlier bytes left as they were.
    QByteArray expected("  My  Show ");
    expected.append('\0');
    expected.append(100 - expected.size(), 'x');
    QCOMPARE(QByteArray(settings.Title, 100), expected);
    QCOMPARE(ReadFieldUtf8(settings.Title), std::string("  My  Show "));
}

void TWizardRulesTest::takesSoundFlagsFromTheFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString wav = dir.filePath("Tune.WAV");
    QFile file(wav);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
    file.close();

    TSaverSettings settings;
    InitSaverSettings(settings);
    TWizardControls controls;
    controls.SoundFile = wav.toStdString();
    CopyControlsToSettings(controls, settings);
    QCOMPARE(settings.SoundIncluded, 1);
    QCOMPARE(settings.PlaySound, 1);
    QCOMPARE(QByteArray(settings.SoundExt, 5), QByteArray(".wav\0", 5));

    controls.SoundFile = dir.filePath("gone.mp3").toStdString();
    CopyControlsToSettings(controls, settings);
    QCOMPARE(settings.SoundIncluded, 0);
    QCOMPARE(settings.PlaySound, 0);
    QCOMPARE(QByteArray(settings.SoundExt, 5), QByteArray(".mp3\0", 5));

    controls.SoundFile = dir.path().toStdString();  // a folder is no sound file
    CopyControlsToSettings(controls, settings);
    QCOMPARE(settings.SoundIncluded, 0);
}

void TWizardRulesTest::cutsLongSoundExtensionAtItsField() {
    TSaverSettings settings;
    InitSaverSettings(settings);
    settings.Description.ShowDescription = 7;
    TWizardControls controls;
    controls.SoundFile = "/music/theme.MUSIC";
    CopyControlsToSettings(controls, settings);
    QCOMPARE(QByteArray(settings.SoundExt, 5), QByteArray(".musi"));
    QCOMPARE(settings.Description.ShowDescription, 7);
    QCOMPARE(settings.Description.DescriptionText[0], '\0');
}

QTEST_MAIN(TWizardRulesTest)
#include "WizardRulesTest.moc"
