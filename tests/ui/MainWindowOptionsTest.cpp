// The options page: the sound, the background colour, and the transitions and description
// dialogs.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "settings/CodePage.h"
#include "support/FakeHome.h"
#include "support/WhenModal.h"
#include "toolkit/WidgetCanvas.h"
#include "ui/BaFunction.h"
#include "ui/MainWindowFixture.h"

class TMainWindowOptionsTest : public QObject, protected TMainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("KAVRO")); }
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void colourCancelStillSetsPreviewPanel();
    void soundButtonsDriveThePlayer();
    void soundDialogOpensInTheMusicFolderThenWhereTheUserChose();
    void dropsASoundOnTheOptionsPage();
    void transitionsComeBackOnlyOnOk();
    void descriptionComesBackOnlyOnOk();
    void dialogsRefuseOnceWhatGbkCannotHold();
};

void TMainWindowOptionsTest::colourCancelStillSetsPreviewPanel() {
    auto* swatch = Child<QWidget>("pnlBackColor");
    auto* preview = Child<QWidget>("pnlPreview");
    SetPanelColor(preview, clBlack);
    // Neither the right button nor a release away from the swatch is a click on it.
    QTest::mouseClick(swatch, Qt::RightButton);
    QTest::mousePress(swatch, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(swatch, Qt::LeftButton, {}, QPoint(60, 5));
    QVERIFY(FDialogs->OfferedColors.empty());
    QCOMPARE(PanelColor(preview), clBlack);
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(FDialogs->OfferedColors, std::deque<TColor>({16744448}));
    QCOMPARE(PanelColor(swatch), 16744448);
    QCOMPARE(PanelColor(preview), 16744448);

    FDialogs->Colors.push_back(65280);
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(PanelColor(swatch), 65280);
    QCOMPARE(PanelColor(preview), 65280);
    FForm->CopyControlsToSettings();
    QCOMPARE(FForm->Settings().BackColor, 65280);
}

void TMainWindowOptionsTest::soundButtonsDriveThePlayer() {
    QFile sound(FDir->filePath("a.mp3"));
    QVERIFY(sound.open(QIODevice::WriteOnly));
    sound.close();
    auto* page = Child<QTabWidget>("Page");
    page->setCurrentIndex(1);
    auto* play = Child<QToolButton>("btnSoundPlay");
    play->click();  // no name: nothing
    QVERIFY(FMedia->Commands.empty());
    FDialogs->Sounds.push_back(sound.fileName());
    Child<QToolButton>("btnSoundOpen")->click();
    play->click();
    const std::string open = "open \"" + sound.fileName().toStdString() + "\" alias mp wait";
    QCOMPARE(FMedia->Commands, std::vector<std::string>({open, "play mp repeat"}));
    page->setCurrentIndex(0);  // leaving the options page stops the sound
    QCOMPARE(FMedia->Commands,
             std::vector<std::string>({open, "play mp repeat", "stop mp", "close mp"}));
    page->setCurrentIndex(1);
    play->click();
    Child<QToolButton>("btnSoundClear")->click();
    QVERIFY(Child<QLineEdit>("edtSound")->text().isEmpty());
    QCOMPARE(FMedia->Commands.back(), std::string("close mp"));
    QCOMPARE(FMedia->Commands.size(), 8u);
    QFile::remove(sound.fileName());
    FDialogs->Sounds.push_back(sound.fileName());
    Child<QToolButton>("btnSoundOpen")->click();
    play->click();  // the file is gone: nothing
    QCOMPARE(FMedia->Commands.size(), 8u);
}

// Never the program's folder, which is /usr/bin once installed.
void TMainWindowOptionsTest::soundDialogOpensInTheMusicFolderThenWhereTheUserChose() {
    const TFakeHome home({QStringLiteral("XDG_MUSIC_DIR=\"$HOME/Musik\"")});
    home.Make({"Musik", "songs"});
    QFile sound(home.Path("songs/a.mp3"));
    QVERIFY(sound.open(QIODevice::WriteOnly));
    sound.close();
    Child<QTabWidget>("Page")->setCurrentIndex(1);
    auto* open = Child<QToolButton>("btnSoundOpen");
    open->click();  // cancelled
    FDialogs->Sounds.push_back(sound.fileName());
    open->click();
    open->click();
    QCOMPARE(FDialogs->Folders,
             QStringList({home.Path("Musik"), home.Path("Musik"), home.Path("songs")}));
}

void TMainWindowOptionsTest::dropsASoundOnTheOptionsPage() {
    Child<QTabWidget>("Page")->setCurrentIndex(1);
    const QString tune = FDir->filePath("tune.WAV");
    Drop(Child<QTabWidget>("Page")->widget(1),
         {Picture("p.bmp", 8, 8), tune, FDir->filePath("second.mid")});
    QCOMPARE(Child<QLineEdit>("edtSound")->text(), tune);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 0);
    QCOMPARE(FMessages, QStringList({"提示!|这些文件不能放在这里,已忽略:\np.bmp\nsecond.mid"}));
}

void TMainWindowOptionsTest::transitionsComeBackOnlyOnOk() {
    WhenModal<TfrmTransitions>([](TfrmTransitions* dialog) {
        for (int k = 1; k <= 20; ++k) {
            dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(k))->setChecked(k == 3);
        }
        dialog->reject();
    });
    Child<QPushButton>("btnTransitions")->click();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(FForm->Settings().Transitions), 20),
             QByteArray(20, '\1'));

    WhenModal<TfrmTransitions>([](TfrmTransitions* dialog) {
        QVERIFY(
            dialog->findChild<QCheckBox*>("CheckBox7")->isChecked());  // reloaded from the record
        for (int k = 1; k <= 20; ++k) {
            dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(k))->setChecked(k == 3);
        }
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnTransitions")->click();
    QByteArray expected(20, '\0');
    expected[2] = 1;
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(FForm->Settings().Transitions), 20),
             expected);
}

void TMainWindowOptionsTest::descriptionComesBackOnlyOnOk() {
    auto fill = [](TfrmDescription* dialog) {
        dialog->findChild<QCheckBox*>("chkExists")->setChecked(true);
        dialog->findChild<QPlainTextEdit*>("Memo")->setPlainText("line 1\nline 2");
        dialog->findChild<QLineEdit*>("edtA")->setText("www.example.org");
        dialog->findChild<QLineEdit*>("edtB")->setText(QStringLiteral("公司"));
        dialog->findChild<QLineEdit*>("edtC")->setText("(c) 2026");
    };
    WhenModal<TfrmDescription>([&fill](TfrmDescription* dialog) {
        fill(dialog);
        dialog->reject();
    });
    Child<QPushButton>("btnDescription")->click();
    QCOMPARE(FForm->Settings().Description.ShowDescription, 0);
    QCOMPARE(FForm->Settings().Description.WebAddress[0], '\0');

    WhenModal<TfrmDescription>([&fill](TfrmDescription* dialog) {
        fill(dialog);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnDescription")->click();
    const TSaverDescription& d = FForm->Settings().Description;
    QCOMPARE(d.ShowDescription, 1);
    QCOMPARE(QByteArray(d.DescriptionText), QByteArray("line 1\r\nline 2"));
    QCOMPARE(QByteArray(d.WebAddress), QByteArray("www.example.org"));
    QCOMPARE(QByteArray(d.CompanyName), QByteArray("\xB9\xAB\xCB\xBE"));
    QCOMPARE(QByteArray(d.RightsNotice), QByteArray("(c) 2026"));
}

void TMainWindowOptionsTest::dialogsRefuseOnceWhatGbkCannotHold() {
    QStringList stillOpen;
    WhenModal<TfrmDescription>([&stillOpen](TfrmDescription* dialog) {
        dialog->findChild<QLineEdit*>("edtA")->setText("www.example.org");
        dialog->findChild<QLineEdit*>("edtC")->setText(QStringLiteral("© 2026 王小明"));
        dialog->findChild<QPushButton*>("btnOK")->click();
        stillOpen << QString::number(dialog->isVisible())
                  << dialog->findChild<QLineEdit*>("edtC")->text();
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnDescription")->click();
    QCOMPARE(stillOpen, QStringList({"1", QStringLiteral("© 2026 王小明")}));
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FMessages[0].startsWith("提示!|以下字符无法保存,会变成“?”:\n©\n"));
    QCOMPARE(QByteArray(FForm->Settings().Description.RightsNotice),
             QByteArray::fromStdString(Utf8ToGbk("? 2026 王小明")));
    QCOMPARE(QByteArray(FForm->Settings().Description.WebAddress), QByteArray("www.example.org"));

    Insert(Names("p", 1));
    FMessages.clear();
    WhenModal<TfrmText>([](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(QStringLiteral("好😀"));
        dialog->findChild<QPushButton*>("btnOK")->click();
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnPicText")->click();
    QCOMPARE(FMessages.size(), 1);
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[0].Text),
             QByteArray::fromStdString(Utf8ToGbk("好?")));
}

QTEST_MAIN(TMainWindowOptionsTest)
#include "MainWindowOptionsTest.moc"
